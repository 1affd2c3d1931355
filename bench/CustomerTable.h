#pragma once

#include <QString>

// The table the run benchmarks convert: `rows` rows of an integer, a name with a quote, a number with
// decimals, a date, a logical and a short note (empty in every seventh row).
void writeCustomerTable(const QString& path, int rows);
