#pragma once

#include "ImagingTypes.h"

#include <QObject>
#include <QString>

namespace palvenor {

// The last page deleted from a book, kept as a copy in the program's
// temporary folder while the book's window is open, with the place it
// had. The copy goes when the window goes.
class DeletedPage : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DeletedPage() override;

    // Copies page `page` of book, unchanged, in place of the page kept so far.
    imaging::ImagingError keep(const QString& book, int page);
    bool isKept() const { return page_ > 0; }
    QString file() const { return file_; }
    int page() const { return page_; }
    void forget();

signals:
    void keptChanged(bool kept);

private:
    QString file_;
    int page_ = 0;
};

}  // namespace palvenor
