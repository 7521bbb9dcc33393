#pragma once

// Sets an IsLoading flag for the lifetime of the object, so that the boxes'
// change handlers record nothing while the program fills them, then puts the
// old value back.
class LoadingScope
{
public:
    explicit LoadingScope(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~LoadingScope() { m_flag = m_previous; }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};
