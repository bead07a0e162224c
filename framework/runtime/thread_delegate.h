// ThreadDelegate: the body of a thread, bound to one object and one of its operations.
// Copies share one reference-counted holder, so the thread can keep the body alive while its
// owner rebinds or drops its own copy; the last copy deletes the bound callable.
#pragma once

#include <windows.h>

class ThreadDelegate {
public:
    ThreadDelegate() : m_holder(nullptr) {}
    ThreadDelegate(const ThreadDelegate& other);
    ThreadDelegate& operator=(const ThreadDelegate& other);
    ~ThreadDelegate() { Release(); }

    template <class T, class R>
    static ThreadDelegate Bind(T* object, R (T::*operation)()) {
        return ThreadDelegate(new BoundCallable<T, R>(object, operation));
    }

    bool IsEmpty() const { return m_holder == nullptr; }
    // True when both copies came from the same binding.
    bool SharesWith(const ThreadDelegate& other) const { return m_holder == other.m_holder; }
    void Call() const;
    // Drops this copy's reference; the delegate is empty afterwards.
    void Release();

private:
    class Callable {
    public:
        virtual ~Callable() = default;
        virtual void Call() = 0;
    };

    template <class T, class R>
    class BoundCallable : public Callable {
    public:
        BoundCallable(T* object, R (T::*operation)()) : m_object(object), m_operation(operation) {}
        void Call() override { (m_object->*m_operation)(); }

    private:
        T* m_object;
        R (T::*m_operation)();
    };

    struct Holder {
        volatile LONG references;
        Callable* callable;
    };

    explicit ThreadDelegate(Callable* callable);

    Holder* m_holder;
};
