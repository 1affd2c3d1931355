#include "preview/Form5.h"

#include "base/Steps.h"
#include "convert/DatatypeRowsModel.h"
#include "ui/Twips.h"
#include "ui/WindowGrowth.h"
#include "ui/WindowSetup.h"

#include <QHeaderView>

#include <algorithm>

Form5::Form5(UiServices& ui, DatatypeRowsModel& rows, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_rows(rows)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    WindowSetup::fitCaptions(*this);
    WindowSetup::enterPressesButtons(*this);
    WindowGrowth::allow(*this, *m_form.ListView1);
    m_pointer.handOver({m_form.PushButton5});
    m_pointer.defaultOver({this, m_form.ListView1});
    m_form.ListView1->setModel(&m_rows);
    connect(m_form.PushButton5, &QPushButton::clicked, this, &Form5::PushButton5_Click);
    Form_Load();
}

void Form5::Form_Load()
{
    Steps s(m_ui, this, QStringLiteral("Form5.Form_Load"));
    WindowSetup::setUpWindow(
        s, *this, QStringLiteral("Datatypes Conversion"), m_pointer,
        {.colors = 100, .icon = 104, .caption = 106, .cursorTest = 108, .cursorLoad = 110});
    // A heading wider than the designed column widens its column rather than being cut.
    s.run(120, [&] {
        QHeaderView& header = *m_form.ListView1->header();
        for (int column = 0; column < DatatypeRowsModel::ColumnCount; ++column)
            m_form.ListView1->setColumnWidth(column,
                                             std::max(twipsToPixels(1700), header.sectionSizeHint(column)));
    });
}

void Form5::PushButton5_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form5.PushButton5_Click"));
    s.run(100, [&] { close(); });
}

void Form5::done(int result)
{
    m_rows.clearRows();
    QDialog::done(result);
}
