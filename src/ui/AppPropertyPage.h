#pragma once
// One tab of a CAppPropertySheet.
//
// A page's controls are its fields: Exchange(true) copies the edited object (or the global
// settings) into them, Exchange(false) copies them back. Override, as needed:
//   Exchange(load)   object <-> controls (called for every page at once by ExchangeAll)
//   SetDefaults()    controls back to their default values (DefaultsAll)
//   UpdateControls() enable or disable controls to match the current values; runs each time
//                    the page becomes the visible tab; call it yourself from the toggled /
//                    textChanged signals of the controls it depends on
//   Validate()       check the values when the page is left or the sheet is confirmed; show
//                    the message yourself and return false to keep the page
// Pages are created by the sheet's owner and handed to CAppPropertySheet::AddPage, which
// takes ownership.

#include <QString>
#include <QWidget>
#include <vector>

class CAppPropertySheet;

class CAppPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CAppPropertyPage(const QString& title, QWidget* parent = nullptr);
    ~CAppPropertyPage() override;

    QString Title() const { return m_title; }
    CAppPropertySheet* Sheet() const { return m_sheet; }
    void SetSheet(CAppPropertySheet* sheet) { m_sheet = sheet; }

    virtual void Exchange(bool load);
    virtual void SetDefaults();
    virtual void UpdateControls();
    virtual bool Validate();

    // The page became the visible tab: when the activation succeeds, UpdateControls runs.
    virtual bool OnSetActive();
    // The page is being left (another tab, or OK): false keeps it.
    virtual bool OnKillActive();

    // The page's controls in the order Tab visits them (the order the eye reads the page);
    // the sheet links the pages' orders between its tab bar and its OK and Cancel.
    void SetTabOrder(std::vector<QWidget*> order) { m_tabOrder = std::move(order); }
    const std::vector<QWidget*>& TabOrder() const { return m_tabOrder; }

protected:
    // The activation proper; a page that cannot be shown yet returns false.
    virtual bool ActivatePage();

private:
    QString m_title;
    CAppPropertySheet* m_sheet = nullptr;
    std::vector<QWidget*> m_tabOrder;
};
