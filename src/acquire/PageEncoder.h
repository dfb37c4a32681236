#pragma once

#include "ScanSpool.h"

#include <QObject>
#include <QThread>

namespace palvenor::acquire {

// Encodes scanned pages on a thread of its own, one after another in the
// order they are handed in, so that the window thread stays free to show
// pages while the next ones are read and encoded. Each page comes back
// through `encoded` on the thread that owns the encoder.
class PageEncoder : public QObject {
    Q_OBJECT
public:
    explicit PageEncoder(QObject* parent = nullptr);
    ~PageEncoder() override;

    void encode(const ScannedPage& page);

signals:
    void encoded(const palvenor::acquire::EncodedPage& page);

private:
    QThread thread_;
    QObject* worker_;  // lives on thread_, runs the encoding
};

}  // namespace palvenor::acquire
