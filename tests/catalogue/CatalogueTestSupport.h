// Scope guards for the process state that catalogue tests change.
#pragma once

#include <QLocale>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace catalogue_test {

// Sets the time zone (a POSIX TZ text, needing no zone files) for one test.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> previous_;
};

// Central European time: UTC+1, and UTC+2 from the last Sunday of March to
// the last Sunday of October.
inline constexpr const char* kParisTime = "CET-1CEST,M3.5.0,M10.5.0/3";

class ScopedDefaultLocale {
public:
    explicit ScopedDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedDefaultLocale() { QLocale::setDefault(previous_); }
    ScopedDefaultLocale(const ScopedDefaultLocale&) = delete;
    ScopedDefaultLocale& operator=(const ScopedDefaultLocale&) = delete;

private:
    QLocale previous_;
};

}  // namespace catalogue_test
