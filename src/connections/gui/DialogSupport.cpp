#include "connections/gui/DialogSupport.h"

#include "app/VANTIQApp.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <functional>

namespace {

// Whole text an optional sign and decimal digits, blanks around allowed (as the standard
// check reads a number); out-of-range magnitudes still count as integers.
bool ParseInteger(const std::string& text, long long& value, bool& overflow) {
    size_t i = 0, n = text.size();
    while (i < n && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    while (n > i && std::isspace(static_cast<unsigned char>(text[n - 1])))
        --n;
    size_t digits = i;
    if (digits < n && (text[digits] == '-' || text[digits] == '+'))
        ++digits;
    if (digits >= n)
        return false;
    for (size_t k = digits; k < n; ++k)
        if (!std::isdigit(static_cast<unsigned char>(text[k])))
            return false;
    const std::string number = text.substr(i, n - i);
    errno = 0;
    value = std::strtoll(number.c_str(), nullptr, 10);
    overflow = errno == ERANGE;
    return true;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

int SortedPosition(int count, const QString& text, const std::function<QString(int)>& textAt) {
    int row = 0;
    while (row < count && QString::compare(textAt(row), text, Qt::CaseInsensitive) <= 0)
        ++row;
    return row;
}

} // namespace

QString ToQt(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FromQt(const QString& text) {
    return text.toLatin1().toStdString();
}

QString StringText(unsigned id) {
    return ToQt(LoadString(id));
}

bool ReadIntegerField(QLineEdit& edit, long long min, long long max, long long& value) {
    long long parsed = 0;
    bool overflow = false;
    std::string message;
    if (!ParseInteger(FromQt(edit.text()), parsed, overflow)) {
        message = LoadString(61712);
    } else if (overflow || parsed < min || parsed > max) {
        message = LoadString(61714);
        ReplaceAll(message, "%1", std::to_string(min));
        ReplaceAll(message, "%2", std::to_string(max));
    } else {
        value = parsed;
        return true;
    }
    ShowDialogError(message);
    edit.setFocus();
    edit.selectAll();
    return false;
}

void ShowDialogError(const std::string& text) {
    if (CVANTIQApp* app = CVANTIQApp::Get()) {
        app->ShowError(text);
        return;
    }
    QMessageBox::warning(DialogParent(), StringText(IDS_ERROR), ToQt(text));
}

bool ConfirmDelete(const std::string& name) {
    CVANTIQApp* app = CVANTIQApp::Get();
    if (!app || !app->GetConfirmDeletes())
        return true;
    UserPrompt* prompt = app->GetPrompt();
    if (!prompt)
        return false; // nobody to ask: keep the object
    std::string text = LoadString(61213);
    ReplaceAll(text, "%s", name);
    return prompt->Ask(text, LoadString(IDS_CONFIRM), PromptButtons::YesNo, PromptIcon::Question,
                       PromptResult::No) == PromptResult::Yes;
}

void MarkConfigurationModified() {
    if (CVANTIQApp* app = CVANTIQApp::Get())
        app->SetModified(true);
}

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

int InsertSortedRow(QListWidget& list, const QString& text, uint32_t id) {
    const int row =
        SortedPosition(list.count(), text, [&list](int r) { return list.item(r)->text(); });
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, QVariant::fromValue<quint32>(id));
    list.insertItem(row, item);
    return row;
}

int RowOfId(const QListWidget& list, uint32_t id) {
    for (int r = 0; r < list.count(); ++r)
        if (list.item(r)->data(Qt::UserRole).value<quint32>() == id)
            return r;
    return -1;
}

uint32_t IdOfRow(const QListWidget& list, int row) {
    if (row < 0 || row >= list.count())
        return 0;
    return list.item(row)->data(Qt::UserRole).value<quint32>();
}

int InsertSortedItem(QComboBox& combo, const QString& text, uint32_t id) {
    const int row =
        SortedPosition(combo.count(), text, [&combo](int r) { return combo.itemText(r); });
    combo.insertItem(row, text, QVariant::fromValue<quint32>(id));
    return row;
}

uint32_t SelectedId(const QComboBox& combo, bool* selected) {
    const int row = combo.currentIndex();
    if (selected)
        *selected = row >= 0;
    return row >= 0 ? combo.itemData(row).value<quint32>() : 0;
}
