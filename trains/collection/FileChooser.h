#pragma once
// Where the collection commands ask for a file. The program shows the desktop's file dialog;
// tests install a chooser that answers without one.
#include <QString>
#include <functional>

class QWidget;

namespace collection {

struct FileRequest {
    bool save = false; // a file to write (else one to read)
    QString title;
    QString suggested; // folder or full name offered first
    QString filter;    // "CSV files (*.csv);;All files (*)"
};

// Returns the chosen path, or an empty text when the user cancelled.
using FileChooser = std::function<QString(const FileRequest &)>;

// Installs a replacement; an empty function restores the file dialog.
void setFileChooser(FileChooser chooser);
QString chooseFile(QWidget *parent, const FileRequest &request);

} // namespace collection
