#pragma once

#include <string>
#include <vector>

namespace qv::framework {

enum class TOperation { opInsert, opRemove };

// The framework's component: owns the components created with it as owner and
// frees them when destroyed; other components that asked for a free
// notification hear of its removal through Notification(this, opRemove).
class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    const std::vector<TComponent*>& Components() const { return components_; }
    // True while the component's destructor runs and frees what it owns.
    bool Destroying() const { return destroying_; }
    // True while the component is being read from a form layout.
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }

    // Asks to be told (through Notification) when `other` is destroyed.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

protected:
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_ = nullptr;
    std::string name_;
    bool loading_ = false;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool destroying_ = false;
};

// The framework's persistent base: an object whose published properties a form can stream.
class TPersistent {
public:
    virtual ~TPersistent() = default;
};

} // namespace qv::framework
