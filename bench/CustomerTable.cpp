#include "bench/CustomerTable.h"

#include "tests/support/DbfTableWriter.h"

#include <QDate>

void writeCustomerTable(const QString& path, int rows)
{
    DbfTableWriter table({{"ID", 'I', 4},
                          {"NAME", 'C', 30},
                          {"AMOUNT", 'N', 12, 2},
                          {"BORN", 'D', 8},
                          {"ACTIVE", 'L', 1},
                          {"NOTE", 'C', 20}});
    for (int i = 0; i < rows; ++i) {
        table.addRow({QString::number(i), QStringLiteral("Customer %1 O'Hara").arg(i),
                      QString::number(i % 100000) + QStringLiteral(".25"),
                      QDate(1950, 1, 1).addDays(i % 20000).toString(QStringLiteral("yyyyMMdd")),
                      i % 2 ? QStringLiteral("T") : QStringLiteral("F"),
                      i % 7 ? QStringLiteral("note") : QString()});
    }
    table.save(path);
}
