#include "server/PostgresConnection.h"

#include <cerrno>
#include <cstdlib>
#include <libpq-fe.h>

namespace qv::server {

namespace {

std::vector<const char*> Values(const std::vector<std::string>& parameters) {
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const auto& parameter : parameters)
        values.push_back(parameter.c_str());
    return values;
}

// libpq's messages end in a line break.
std::string Trimmed(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Whether the text begins with one of libpq's keywords and an '=', as a connection string does,
// whatever mistake follows.
bool StartsWithKeyword(const std::string& text) {
    static constexpr const char* kBlanks = " \t\r\n";
    const size_t begin = text.find_first_not_of(kBlanks);
    const size_t end = begin == std::string::npos ? begin : text.find_first_of(" \t\r\n=", begin);
    const size_t equals = end == std::string::npos ? end : text.find_first_not_of(kBlanks, end);
    if (equals == std::string::npos || text[equals] != '=') return false;
    const std::string word = text.substr(begin, end - begin);
    PQconninfoOption* defaults = PQconndefaults();
    bool known = false;
    for (const PQconninfoOption* option = defaults; option && option->keyword && !known; ++option)
        known = word == option->keyword;
    PQconninfoFree(defaults);
    return known;
}

} // namespace

PostgresResult::PostgresResult(pg_result* result) : result_(result, PQclear) {}

int PostgresResult::Rows() const {
    return PQntuples(result_.get());
}

bool PostgresResult::IsNull(int row, int column) const {
    return PQgetisnull(result_.get(), row, column) != 0;
}

std::string PostgresResult::Text(int row, int column) const {
    return std::string(PQgetvalue(result_.get(), row, column),
                       static_cast<size_t>(PQgetlength(result_.get(), row, column)));
}

int64_t PostgresResult::Int(int row, int column) const {
    const char* text = PQgetvalue(result_.get(), row, column);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0')
        throw EPostgresError(std::string("not an integer: ") + text);
    return value;
}

PostgresConnection::PostgresConnection(const std::string& conninfo)
    : connection_(PQconnectdb(conninfo.c_str()), PQfinish) {
    if (!connection_) throw EPostgresError("out of memory for a PostgreSQL connection");
    if (PQstatus(connection_.get()) != CONNECTION_OK) Fail("cannot connect to PostgreSQL");
    if (PQsetClientEncoding(connection_.get(), "UTF8") != 0) Fail("cannot talk UTF-8 with PostgreSQL");
    // Notices ("relation already exists, skipping") are no business of the service's log.
    PQsetNoticeProcessor(
        connection_.get(), [](void*, const char*) {}, nullptr);
}

PostgresConnection::~PostgresConnection() = default;

bool PostgresConnection::IsConnectionString(const std::string& text) {
    if (text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0) return true;
    if (text.find('=') == std::string::npos) return false;
    if (StartsWithKeyword(text)) return true;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.c_str(), &error);
    PQfreemem(error);
    PQconninfoFree(options);
    return options != nullptr;
}

void PostgresConnection::Fail(const std::string& what) const {
    throw EPostgresError(what + ": " + Trimmed(PQerrorMessage(connection_.get())));
}

PostgresResult PostgresConnection::Checked(pg_result* raw) {
    PostgresResult result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_COPY_IN) return result;
    throw EPostgresError(raw ? Trimmed(PQresultErrorMessage(raw))
                             : Trimmed(PQerrorMessage(connection_.get())));
}

void PostgresConnection::Execute(const std::string& sql) {
    Checked(PQexec(connection_.get(), sql.c_str()));
}

PostgresResult PostgresConnection::Query(const std::string& sql, const std::vector<std::string>& parameters) {
    const auto values = Values(parameters);
    return Checked(PQexecParams(connection_.get(), sql.c_str(), static_cast<int>(values.size()), nullptr,
                                values.data(), nullptr, nullptr, 0));
}

void PostgresConnection::Prepare(const std::string& name, const std::string& sql) {
    Checked(PQprepare(connection_.get(), name.c_str(), sql.c_str(), 0, nullptr));
}

PostgresResult PostgresConnection::Run(const std::string& name, const std::vector<std::string>& parameters) {
    const auto values = Values(parameters);
    return Checked(PQexecPrepared(connection_.get(), name.c_str(), static_cast<int>(values.size()),
                                  values.data(), nullptr, nullptr, 0));
}

void PostgresConnection::Copy(const std::string& sql, const std::string& rows) {
    Checked(PQexec(connection_.get(), sql.c_str()));
    if (PQputCopyData(connection_.get(), rows.data(), static_cast<int>(rows.size())) != 1 ||
        PQputCopyEnd(connection_.get(), nullptr) != 1)
        Fail("COPY failed");
    Checked(PQgetResult(connection_.get()));
    // The end of the command's results.
    while (pg_result* extra = PQgetResult(connection_.get()))
        PQclear(extra);
}

void PostgresConnection::Listen(const std::string& channel) {
    Execute("LISTEN " + channel);
}

bool PostgresConnection::Notified() {
    if (PQconsumeInput(connection_.get()) == 0) Fail("lost the connection to PostgreSQL");
    bool notified = false;
    while (PGnotify* notify = PQnotifies(connection_.get())) {
        notified = true;
        PQfreemem(notify);
    }
    return notified;
}

std::string CopyField(const std::string& text) {
    std::string field;
    field.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
        case '\\':
            field += "\\\\";
            break;
        case '\t':
            field += "\\t";
            break;
        case '\n':
            field += "\\n";
            break;
        case '\r':
            field += "\\r";
            break;
        default:
            field += c;
        }
    }
    return field;
}

} // namespace qv::server
