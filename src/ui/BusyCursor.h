#pragma once

// Shows the busy pointer for the lifetime of the object; nests.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Restores the normal pointer while a dialog waits for the user.
    class Pause
    {
    public:
        Pause();
        ~Pause();

    private:
        int m_depth = 0;
    };
};
