#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

// The about box: version, what the program does, and links to the help, the trace folder and
// the data folder, opened with the desktop's default program.
class TAProposDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAProposDlg(QWidget* parent = nullptr);
    // The program's version, from the build ("0.1").
    [[nodiscard]] static QString version();
    // Opens a link; QDesktopServices::openUrl unless a test replaces it.
    std::function<bool(const QUrl&)> ouvreLien;
};
