#include "trains/collection/FileChooser.h"

#include <QFileDialog>

namespace collection {

namespace {
FileChooser &installed() {
    static FileChooser c;
    return c;
}
} // namespace

void setFileChooser(FileChooser chooser) {
    installed() = std::move(chooser);
}

QString chooseFile(QWidget *parent, const FileRequest &request) {
    if (installed())
        return installed()(request);
    return request.save ? QFileDialog::getSaveFileName(parent, request.title, request.suggested,
                                                       request.filter)
                        : QFileDialog::getOpenFileName(parent, request.title, request.suggested,
                                                       request.filter);
}

} // namespace collection
