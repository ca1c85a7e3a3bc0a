#include "server/TenderStore.h"
#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace qv::server::test {

// The counts take each tender's text once, split and folded as the index splits it, and leave
// the country column alone: "qvcountryfr" counts only where the text holds it.
TEST(TenderStore, WordCountsAreThoseOfTheIndexedTexts) {
    const qv::test::ScopedTempFolder scratch;
    const std::string path = scratch.Path() + "/tenders.db";
    TenderStore::CreateFile(path, TenderStore::Dates::Absolute, [](sqlite3* db) {
        TenderStore store(db);
        store.Insert({1, "DE", 45000, "Öl", "Öl und öl, Wasser qvcountryfr"});
        store.Insert({2, "DE", 45000, "Wasser", "Wasser"});
        store.Insert({3, "FR", 45000, "Eau", "Eau"});
        store.Insert({4, "", 45000, "", ""});
        store.Replace({3, "FR", 45001, "Wasser", "Wasser"});
        store.Flush();
    });
    SqliteConnection db = OpenSqlite(path, SQLITE_OPEN_READONLY);
    SqliteStatement terms(db.get(),
                          "SELECT group_concat(word || ' ' || country || ' ' || tenders, ', ') FROM term");
    ASSERT_TRUE(terms.Step());
    EXPECT_EQ(terms.Text(0), "ol DE 1, qvcountryfr DE 1, und DE 1, wasser DE 2, wasser FR 1");
}

} // namespace qv::server::test
