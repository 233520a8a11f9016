#pragma once

#include <QString>
#include <QVariant>

#include <initializer_list>

// Fills the placeholders of a string-table text: %d and %u take the next argument as an
// integer, %X as upper-case hexadecimal, %s as text, and %% gives "%". The table texts are
// data, so they never reach a printf-style function: a placeholder without an argument, or one
// this function does not know, stays in the result as written.
QString FormatText(const QString& format, std::initializer_list<QVariant> arguments);
