#pragma once
// The About box: the program's name, version and what it is for.

#include <QDialog>

class QLabel;
class QPushButton;

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    static QString VersionText();
    QLabel* NameLabel() const { return m_name; }
    QLabel* VersionLabel() const { return m_version; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QLabel* m_name;
    QLabel* m_version;
    QPushButton* m_ok;
};
