#include "local_time.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

const char* fixedLocalNow;

LocalStamp LocalNow() {
  LocalStamp stamp{};
  if (fixedLocalNow) {
    std::strncpy(stamp.text, fixedLocalNow, sizeof stamp.text - 1);
    return stamp;
  }
#ifdef _WIN32
  SYSTEMTIME now;
  GetLocalTime(&now);
  unsigned parts[] = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
#else
  std::time_t seconds = std::time(nullptr);
  std::tm now{};
  localtime_r(&seconds, &now);
  unsigned parts[] = {now.tm_year + 1900u, now.tm_mon + 1u, unsigned(now.tm_mday), unsigned(now.tm_hour),
                      unsigned(now.tm_min), unsigned(now.tm_sec)};
#endif
  std::snprintf(stamp.text, sizeof stamp.text, "%04u-%02u-%02u %02u:%02u:%02u", parts[0], parts[1], parts[2], parts[3],
                parts[4], parts[5]);
  return stamp;
}
