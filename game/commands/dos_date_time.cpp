#include "game/commands/dos_date_time.h"

std::uint32_t PackDosDateTime(const std::tm* time) {
    if (!time) return 0;
    const int year = time->tm_year + 1900;
    if (year < 1980 || year > 2107) return 0;
    return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(time->tm_mon + 1) << 21 |
           static_cast<std::uint32_t>(time->tm_mday) << 16 | static_cast<std::uint32_t>(time->tm_hour) << 11 |
           static_cast<std::uint32_t>(time->tm_min) << 5 | static_cast<std::uint32_t>(time->tm_sec / 2);
}

std::uint32_t DosDateTimeOfEntry(std::int32_t timeStamp) {
    if (timeStamp == 0) return 0;
    const std::time_t value = timeStamp;
    return PackDosDateTime(std::localtime(&value));
}
