#include "ui/AppPropertySheet.h"

#include "ui/AppPropertyPage.h"
#include "ui/TabChain.h"
#include "ui/WindowModal.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

CAppPropertySheet::CAppPropertySheet(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    m_tabs = new QTabWidget(this);
    // The standard buttons, so that they look as every other dialog's do.
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = m_buttons->button(QDialogButtonBox::Ok);
    m_cancel = m_buttons->button(QDialogButtonBox::Cancel);
    m_ok->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CAppPropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CAppPropertySheet::reject);
    auto* layout = new QVBoxLayout(this);
    // A property sheet is not resizable: it takes the size of its largest page.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CAppPropertySheet::OnTabChanged);
}

CAppPropertySheet::~CAppPropertySheet() {
    // The pages are children of the tab widget; delete them here, with the tab signals cut
    // off, so that no page is told about tab changes while the sheet is going.
    disconnect(m_tabs, nullptr, this, nullptr);
    std::vector<CAppPropertyPage*> pages;
    pages.swap(m_pages);
    m_current = -1;
    for (CAppPropertyPage* page : pages)
        delete page;
}

void CAppPropertySheet::AddPage(CAppPropertyPage* page) {
    if (!page)
        return;
    page->SetSheet(this);
    m_pages.push_back(page);
    const bool first = m_tabs->count() == 0;
    m_reverting = true; // the first page becomes current without being activated twice
    m_tabs->addTab(page, page->Title());
    m_reverting = false;
    if (first) {
        m_current = 0;
        page->OnSetActive();
    }
    LinkTabOrder();
}

void CAppPropertySheet::LinkTabOrder() {
    // A page joins the focus chain after OK and Cancel when it is put in the sheet; Tab
    // reads the sheet from the top instead: tabs, the page, then OK and Cancel.
    std::vector<QWidget*> chain{m_tabs->tabBar()};
    for (CAppPropertyPage* page : m_pages)
        chain.insert(chain.end(), page->TabOrder().begin(), page->TabOrder().end());
    chain.push_back(m_ok);
    chain.push_back(m_cancel);
    SetTabChain(chain);
}

CAppPropertyPage* CAppPropertySheet::Page(int index) const {
    if (index < 0 || index >= PageCount())
        return nullptr;
    return m_pages[static_cast<size_t>(index)];
}

void CAppPropertySheet::ExchangeAll(bool load) {
    for (CAppPropertyPage* page : m_pages)
        page->Exchange(load);
    // Loaded values change what is enabled on the visible page.
    if (load)
        if (CAppPropertyPage* page = ActivePage())
            page->UpdateControls();
}

void CAppPropertySheet::DefaultsAll() {
    for (CAppPropertyPage* page : m_pages)
        page->SetDefaults();
}

CAppPropertyPage* CAppPropertySheet::ActivePage() const {
    return Page(m_current);
}

bool CAppPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= PageCount())
        return false;
    m_tabs->setCurrentIndex(index);
    return m_current == index;
}

void CAppPropertySheet::OnTabChanged(int index) {
    if (m_reverting || index == m_current)
        return;
    CAppPropertyPage* left = ActivePage();
    if (left && !left->OnKillActive()) {
        // The page left refused (it showed why); stay on it.
        m_reverting = true;
        m_tabs->setCurrentIndex(m_current);
        m_reverting = false;
        return;
    }
    m_current = index;
    if (CAppPropertyPage* page = ActivePage())
        page->OnSetActive();
}

int CAppPropertySheet::exec() {
    MakeWindowModal(*this);
    return QDialog::exec();
}

void CAppPropertySheet::accept() {
    if (CAppPropertyPage* page = ActivePage(); page && !page->OnKillActive())
        return;
    QDialog::accept();
}
