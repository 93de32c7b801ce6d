#pragma once

// One lazily created, never deleted instance of T, which derives from Singleton<T>.
template <class T>
class Singleton
{
public:
    static T& getInstance()
    {
        if (instance == nullptr)
            instance = new T();
        return *instance;
    }

    // Whether getInstance() has made the instance yet.
    static bool hasInstance() { return instance != nullptr; }

    virtual ~Singleton()
    {
        // Only the registered instance forgets itself; destroying another T leaves it alone.
        if (static_cast<Singleton<T>*>(instance) == this)
            instance = nullptr;
    }

private:
    static T* instance;
};

template <class T>
T* Singleton<T>::instance = nullptr;
