// The MS-DOS date-time word that scripts get for archive entry times: bits 0-4 seconds / 2,
// 5-10 minutes, 11-15 hours, 16-20 day, 21-24 month (1-12), 25-31 years since 1980.
#pragma once

#include <cstdint>
#include <ctime>

// The word of a broken-down time; 0 for none (null) and for a year the layout cannot hold
// (before 1980 or after 2107), rather than a word naming another date.
std::uint32_t PackDosDateTime(const std::tm* time);

// An entry time (time_t) in local time as a DOS word; 0 for time 0 (the entry has none), for a
// time the C library cannot convert, and for years outside 1980-2107.
std::uint32_t DosDateTimeOfEntry(std::int32_t timeStamp);
