#include "convert/Form5.h"

#include "app/Steps.h"
#include "app/Twips.h"
#include "app/WindowSetup.h"
#include "convert/DatatypeRowsModel.h"

Form5::Form5(UiServices& ui, DatatypeRowsModel& rows, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_rows(rows)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    WindowSetup::fitCaptions(*this);
    WindowSetup::enterPressesButtons(*this);
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
    s.run(120, [&] {
        for (int column = 0; column < DatatypeRowsModel::ColumnCount; ++column)
            m_form.ListView1->setColumnWidth(column, twipsToPixels(1700));
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
