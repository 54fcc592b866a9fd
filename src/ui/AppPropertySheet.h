#pragma once
// A tabbed properties window that owns its pages and tells all of them at once to load from,
// store into or reset the object being edited.
//
// Typical use:
//     CAppPropertySheet sheet(tr("Properties"), parent);
//     sheet.AddPage(new CMyGeneralPage);
//     sheet.AddPage(new CMyAdvancedPage);
//     { StateGuard g(AppStateLock()); sheet.ExchangeAll(true); }
//     if (sheet.exec() == QDialog::Accepted) { StateGuard g(AppStateLock());
//     sheet.ExchangeAll(false); }
// OK checks the visible page (Validate) before it closes; changing tabs checks the page left
// and stays on it when it refuses. Never hold the state lock across exec().

#include <QDialog>
#include <QString>
#include <vector>

class CAppPropertyPage;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;

class CAppPropertySheet : public QDialog {
    Q_OBJECT
public:
    explicit CAppPropertySheet(const QString& title, QWidget* parent = nullptr);
    // Destroys every page it holds.
    ~CAppPropertySheet() override;

    // Appends a page and takes ownership of it.
    void AddPage(CAppPropertyPage* page);
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    CAppPropertyPage* Page(int index) const;
    const std::vector<CAppPropertyPage*>& Pages() const { return m_pages; }

    // Exchange(load) on every page, in order.
    void ExchangeAll(bool load);
    // SetDefaults on every page, in order.
    void DefaultsAll();

    CAppPropertyPage* ActivePage() const;
    // Shows page index as the visible tab; false when the page left refused.
    bool SetActivePage(int index);

    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    // Runs modally over the owner's window only (WindowModal.h).
    int exec() override;
    // Checks the visible page, then closes with Accepted.
    void accept() override;

private:
    void OnTabChanged(int index);
    void LinkTabOrder();

    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::vector<CAppPropertyPage*> m_pages;
    int m_current = -1;
    bool m_reverting = false;
};
