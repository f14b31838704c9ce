#include "calendar/calendarrange.h"
#include "calendar/japaneseholidays.h"

#include <benchmark/benchmark.h>

namespace {

// What the calendar does once each time it shows another month: find the holidays among its 42
// days. A December's grid reaches into January, so two years are worked out.
void FindShownHolidays(benchmark::State &state, const QDate &month)
{
    const QDate first = CalendarRange::FirstCell(month);
    const QDate last = first.addDays(CalendarRange::CellCount - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(JapaneseHolidays::Between(first, last));
}

}

BENCHMARK_CAPTURE(FindShownHolidays, May2026, QDate(2026, 5, 1))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FindShownHolidays, December2026, QDate(2026, 12, 1))->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
