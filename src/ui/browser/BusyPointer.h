#pragma once

namespace sf {

// The mouse pointer's busy shape during a long listing. Tests substitute a
// recorder; the program uses the application's override cursor.
class BusyPointer {
public:
    virtual ~BusyPointer() = default;
    virtual void show() = 0;
    virtual void restore() = 0;
};

class WaitCursorBusyPointer : public BusyPointer {
public:
    void show() override;
    void restore() override;
};

} // namespace sf
