// WindowMessage: what a message handler of a FrameworkWindow receives.
// MessageHandler: the handler objects of a window's message map; MessageDelegate binds one
// operation of an object (usually the application) to a message id.
#pragma once

#include <cstdint>

class FrameworkWindow;

struct WindowMessage {
    FrameworkWindow* window;
    std::uint32_t message;
    // Handlers may rewrite the parameters: the default handling sees them as left.
    std::uint32_t wParam;
    std::uint32_t lParam;
    // What the window procedure returns unless the default handling replaces it.
    std::int32_t result;
};

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // 0: handled, the message stops here; anything else lets it go on to the default handling.
    virtual std::int32_t Invoke(WindowMessage& message) = 0;
};

class MessageDelegate : public MessageHandler {
public:
    // Calls one operation of `object`; BindOperation makes one for a member function.
    using Member = std::int32_t (*)(void* object, WindowMessage& message);

    MessageDelegate(void* object, Member member) : m_object(object), m_member(member) {}

    // 0 without calling anything when the object or the member is missing.
    std::int32_t Invoke(WindowMessage& message) override {
        if (m_object == nullptr || m_member == nullptr) return 0;
        return m_member(m_object, message);
    }

    void* Object() const { return m_object; }
    Member GetMember() const { return m_member; }

private:
    void* m_object;
    Member m_member;
};

// A delegate that calls `Operation` on `object`; a virtual operation is called through the
// object's table, so a class deriving from T that overrides it changes what the window does.
//   window.SetMessageHandler(WM_CLOSE, BindOperation<&FrameworkApp::OnClose>(app));
template <auto Operation, class T>
MessageDelegate* BindOperation(T* object) {
    return new MessageDelegate(object, [](void* target, WindowMessage& message) -> std::int32_t {
        return (static_cast<T*>(target)->*Operation)(message);
    });
}
