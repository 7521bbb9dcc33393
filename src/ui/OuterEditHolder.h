#pragma once

// A window whose memo may be open in an external editor. The main window refuses
// to close while any such window reports that its memo is out for editing.
class OuterEditHolder
{
public:
    virtual ~OuterEditHolder() = default;
    virtual bool IsOuterEdit() const = 0;
};
