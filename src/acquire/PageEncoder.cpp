#include "PageEncoder.h"

namespace palvenor::acquire {

PageEncoder::PageEncoder(QObject* parent) : QObject(parent), worker_(new QObject) {
    thread_.setObjectName(QStringLiteral("PageEncoder"));
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

PageEncoder::~PageEncoder() {
    thread_.quit();
    thread_.wait();
}

void PageEncoder::encode(const ScannedPage& page) {
    QMetaObject::invokeMethod(worker_, [this, page] { emit encoded(encodeScannedPage(page)); });
}

}  // namespace palvenor::acquire
