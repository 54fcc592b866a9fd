#pragma once
// Small pieces shared by the property dialogs: the Latin-1 boundary between the model's byte
// strings and Qt, the standard integer-field check with its two messages, error and delete
// prompts through the application, marking the configuration modified, and list rows that
// carry an object ID and stay sorted by their text, ignoring case.

#include <QString>
#include <cstdint>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

// Every byte of a model string survives the trip through the widgets.
QString ToQt(const std::string& bytes);
std::string FromQt(const QString& text);
// A numbered text of the string table.
QString StringText(unsigned id);

// Reads an integer field as the standard dialog check does: a text that is not an integer
// gives "Please enter an integer.", one outside min..max "Please enter an integer between
// %1 and %2."; either way the message is shown, the field takes the focus with its text
// selected and the result is false.
bool ReadIntegerField(QLineEdit& edit, long long min, long long max, long long& value);

// An error message box (caption "Error", exclamation icon), also written to the log.
void ShowDialogError(const std::string& text);
// "Delete "name"?" when the confirm-deletes option is on; true to go on.
bool ConfirmDelete(const std::string& name);
// Every edit of the network configuration ends here.
void MarkConfigurationModified();
// The window a dialog opened from the model (no parent at hand) should sit on.
QWidget* DialogParent();

// Rows of a list that carry an object ID, kept in case-insensitive order of their text.
int InsertSortedRow(QListWidget& list, const QString& text, uint32_t id);
int RowOfId(const QListWidget& list, uint32_t id);
uint32_t IdOfRow(const QListWidget& list, int row);
// The same for a drop-down list; the item data is the object ID.
int InsertSortedItem(QComboBox& combo, const QString& text, uint32_t id);
uint32_t SelectedId(const QComboBox& combo, bool* selected = nullptr);
