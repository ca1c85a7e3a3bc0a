#include "framework/Component.h"

#include <gtest/gtest.h>

namespace qv::framework::test {

namespace {
class Holder : public TComponent {
public:
    using TComponent::TComponent;
    TComponent* ref = nullptr;
    void Hold(TComponent* other) {
        ref = other;
        FreeNotification(other);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove && component == ref) ref = nullptr;
    }
};
} // namespace

TEST(Component, RemovalIsAnnouncedToHolders) {
    Holder holder;
    auto* other = new TComponent();
    holder.Hold(other);
    delete other;
    EXPECT_EQ(holder.ref, nullptr);
}

TEST(Component, OwnerFreesWhatItOwns) {
    auto* owner = new TComponent();
    Holder watcher;
    auto* child = new TComponent(owner);
    watcher.Hold(child);
    EXPECT_EQ(owner->Components().size(), 1u);
    delete owner;
    EXPECT_EQ(watcher.ref, nullptr);
}

} // namespace qv::framework::test
