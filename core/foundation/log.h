#pragma once

#include "format.h"

#include <QString>

#include <functional>

// The diagnostic log: one line per message on standard error. A message starts
// with its bracketed tag and goes on with key=value pairs, e.g.
//   Log::write("[scan] dir=%@ apps=%d", dir, count);
// Arguments are substituted as data by formatTemplate(); line breaks inside a
// message are written as \n so that every message stays one line.
namespace Log {

void writeLine(const QString &message);

template <typename... Args>
void write(QStringView pattern, const Args &...args)
{
    writeLine(formatString(pattern, args...));
}

inline void write(const char *pattern)
{
    writeLine(QString::fromUtf8(pattern));
}

template <typename... Args>
void write(const char *pattern, const Args &...args)
{
    const QString text = QString::fromUtf8(pattern);
    writeLine(formatString(QStringView(text), args...));
}

// Tests capture log lines; the sink receives each finished line (without newline).
// Passing an empty function restores standard error.
using Sink = std::function<void(const QString &line)>;
void setSink(Sink sink);

} // namespace Log
