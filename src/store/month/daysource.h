#pragma once

// What the store may know of the calendar: the day of the month that is selected. The main
// window implements it over the calendar; store tests hand in a fake.
class DaySource
{
public:
    virtual ~DaySource() = default;
    virtual int Day() const = 0;
};
