#include "report/Form7.h"

#include "base/Steps.h"
#include "base/UiServices.h"
#include "ui/WindowSetup.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

Form7::Form7(UiServices& ui, RunReport report, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_report(std::move(report)), Label1(new QLabel(this)),
      ListView1(new QTableWidget(this)), Text1(new QPlainTextEdit(this)),
      PushButton1(new QPushButton(QStringLiteral("Copy"), this)),
      PushButton2(new QPushButton(QStringLiteral("Save..."), this)),
      PushButton3(new QPushButton(QStringLiteral("Close"), this))
{
    setObjectName(QStringLiteral("Form7"));
    Label1->setObjectName(QStringLiteral("Label1"));
    ListView1->setObjectName(QStringLiteral("ListView1"));
    Text1->setObjectName(QStringLiteral("Text1"));
    PushButton1->setObjectName(QStringLiteral("PushButton1"));
    PushButton2->setObjectName(QStringLiteral("PushButton2"));
    PushButton3->setObjectName(QStringLiteral("PushButton3"));

    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->verticalHeader()->hide();
    Text1->setReadOnly(true);
    Text1->setTabChangesFocus(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PushButton1);
    buttons->addWidget(PushButton2);
    buttons->addStretch();
    buttons->addWidget(PushButton3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListView1, 2);
    layout->addWidget(Text1, 1);
    layout->addLayout(buttons);
    resize(760, 420);

    connect(PushButton1, &QPushButton::clicked, this, &Form7::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form7::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &QDialog::accept);
    m_pointer.handOver({PushButton1, PushButton2, PushButton3});
    m_pointer.defaultOver({this, ListView1, Text1});
    Form_Load();
}

void Form7::Form_Load()
{
    Steps s(m_ui, this, QStringLiteral("Form7.Form_Load"));
    WindowSetup::setUpWindow(s, *this, QStringLiteral("Run Report"), m_pointer);
    s.run(110, [&] { Label1->setText(m_report.firstLine); });
    s.run(112, [&] { fillTable(); });
    s.run(114, [&] {
        QStringList findings;
        if (!m_report.skipped.isEmpty())
            findings << convert::skippedText(m_report);
        for (const TableTally& tally : m_report.tables)
            findings << convert::reportFindings(tally);
        Text1->setPlainText(findings.join(u'\n'));
        Text1->setVisible(!findings.isEmpty());
    });
}

// One row per table, then the totals, which a run with nothing else to report still shows.
void Form7::fillTable()
{
    const QStringList headings = convert::reportHeadings();
    ListView1->setColumnCount(int(headings.size()));
    ListView1->setHorizontalHeaderLabels(headings);
    ListView1->setRowCount(int(m_report.tables.size()) + 1);
    const auto fillRow = [&](int row, const QStringList& texts) {
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ListView1->setItem(row, column, item);
        }
    };
    for (std::size_t i = 0; i < m_report.tables.size(); ++i)
        fillRow(int(i), convert::reportRow(m_report.tables[i]));
    const int totals = int(m_report.tables.size());
    fillRow(totals, convert::reportRow(convert::reportTotals(m_report.tables)));
    for (int column = 0; column < ListView1->columnCount(); ++column) {
        QFont font = ListView1->item(totals, column)->font();
        font.setBold(true);
        ListView1->item(totals, column)->setFont(font);
    }
    ListView1->resizeColumnsToContents();
    ListView1->horizontalHeader()->setStretchLastSection(true);
}

void Form7::PushButton1_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form7.PushButton1_Click"));
    s.run(100, [&] { m_ui.setClipboardText(convert::runReportText(m_report)); });
}

void Form7::PushButton2_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form7.PushButton2_Click"));
    QString path;
    s.run(100, [&] {
        path =
            m_ui.chooseSaveFile(this, QStringLiteral("Save Run Report"), QStringLiteral("Text file (*.txt)"),
                                QDir::home().filePath(QStringLiteral("run-report.txt")));
    });
    if (path.isEmpty()) // 102: cancelled
        return;
    s.run(104, [&] {
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".txt");
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(convert::runReportText(m_report).toUtf8()) < 0 ||
            !file.commit()) {
            m_ui.showMessage(this, QStringLiteral("Could not save %1: %2").arg(path, file.errorString()));
            return;
        }
        m_ui.showMessage(this, QStringLiteral("Saved the run report to %1.").arg(path));
    });
}
