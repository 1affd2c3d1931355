#pragma once

#include "ui/PointerRules.h"
#include "ui_Form6.h"

#include <QDialog>

class QCheckBox;
class SettingsStore;
struct SettingKey;
struct SharedState;
class UiServices;

// Advanced Options: switches the FoxPro source to a DBC file and remembers the file, and chooses the
// code page of source tables whose header names none.
//
// Every edit of the path is stored at once as "DBCFile", every choice of code page as
// "Source Code Page". OK with a path makes the DBC file the
// source ("FoxproOption" "1"); Cancel makes the folder the source ("FoxproOption" "2"); closing
// the window by its title bar (or Escape) changes neither. "Create columns with SQL Server's own
// types" is stored the moment it changes ("Native Types"); the next table a run converts follows it.
// So is "Check every value after copying (reads each table back)" ("Verify Values"), which the run
// reads at the end of each table.
// "Create keys and indexes from the .cdx files" ("Create Indexes") too, read when each table opens,
// and "Copy deleted records too, marked in a column" ("Copy Deleted"), read when a run starts.
class Form6 : public QDialog
{
    Q_OBJECT

public:
    Form6(UiServices& ui, SettingsStore& settings, SharedState& state, QWidget* parent = nullptr);

    // The stored choice of code page (ReaderOptions::unmarkedCodePage); the default when the stored
    // text is no choice.
    static int storedCodePageChoice(const SettingsStore& settings);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Text1_Change();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Combo1_Change();
    void PushButton5_Click();
    void PushButton1_Click();
    void PushButton2_Click();

private:
    void Form_Load();
    void fillCodePages();
    void loadChoice(QCheckBox& box, const SettingKey& key);
    void storeChoice(const QCheckBox& box, const SettingKey& key);

    UiServices& m_ui;
    SettingsStore& m_settings;
    SharedState& m_state;
    Ui::Form6 m_form;
    PointerRules m_pointer{*this};
};
