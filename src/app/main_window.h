// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"
#include "settings/settings_file.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class Desktop;
class Drill;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStyle;
class QTimer;
class RecordStore;
class RecordsView;
struct FinishedSheet;

// The one window of Varolin: the board, the commands, the clock and the
// best time. It shows the drill core and forwards clicks and keys to it; the
// settings file keeps the best times, the kind and the window's place.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // `programFolder` is where the settings file and the read-me live.
    MainWindow(Desktop& desktop, const QString& programFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

public Q_SLOTS:
    // Another start of the program handed over to this one.
    void bringToFront();
    // The desktop session ends or the program was told to stop: the settings
    // are kept without a question and the program ends.
    void endWithoutQuestion();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void startUp();
    void connectDrill();

    // What the drill reports.
    void showKind();
    void showOperands();
    void showOpenCell(int previous, int cell);
    void showPhase();
    void refreshClock();
    void fileFinishedSheet(const FinishedSheet& sheet);

    // Commands.
    void commandClicked(int index);
    void stopCommand();
    void endCommand();
    void clearBestTimes();
    void showAbout();
    void showRecords();
    // The store of finished sheets, opened on first use; null when it cannot
    // be used (the user has been told).
    RecordStore* records();
    void tellRecordsProblem(const RecordStore& problemStore);
    void printCommand();
    void showPrintDialog();
    void screenCopyCommand();
    // Throws PrintError when the printer cannot be used.
    void printSheet();
    void openReadme();
    bool confirmEnd();
    void saveAndEnd();
    void endProgram();

    // Keys, input-method text and mouse events of an answer cell.
    bool cellEvent(int cell, QEvent* event);

    void applyButtonPattern(bool running);
    void setHeaderRed(QLabel* header, bool red);
    void highlightCell(int cell, bool red);
    void updateAccessibleNames();

    // Settings.
    void loadSettings();
    void applySettings();
    // False when the settings could not be kept; the user is told once.
    bool saveSettings();
    void tellSettingsProblem(const QString& prompt);
    QPoint normalPosition() const;
    void storeWindowPosition();

    Desktop& desktop;
    QString programFolder;
    Drill* drill = nullptr;

    QLabel* signLabel = nullptr;
    std::array<QLabel*, 10> rowHeaders{};
    std::array<QLabel*, 10> columnHeaders{};
    std::array<QLineEdit*, 100> answerCells{};
    // きりかえ, はじめ, やめる, おわる, すうじ, いんさつ, がめんコピー, モード,
    // きろく, ？.
    std::array<QPushButton*, 10> commandButtons{};
    QLineEdit* clockDisplay = nullptr;
    QLabel* bestTimeLabel = nullptr;
    QLabel* dateLabel = nullptr;
    QLabel* aboutPicture = nullptr;
    QLabel* randomLabel = nullptr;
    QCheckBox* randomCheck = nullptr;
    QTimer* clockTimer = nullptr;
    // Fresh sheets for printing are drawn apart from the board's.
    QRandomGenerator printRandom;
    QStyle* buttonStyle = nullptr;

    Settings settings;
    std::unique_ptr<SettingsFile> settingsFile;
    bool settingsProblemTold = false;
    QString recordsPath;
    bool ended = false;

    std::unique_ptr<RecordStore> store;
    bool storeTried = false;
    bool storeProblemTold = false;
    // The records window while it is open: the view and the widget it is.
    RecordsView* recordsView = nullptr;
    QPointer<QWidget> recordsWindow;
};
