#include "SaneDevice.h"

#include <sane/saneopts.h>

#include <QElapsedTimer>

#include <cmath>
#include <vector>

namespace palvenor::acquire {

namespace {

bool isBlackWhiteMode(const QString& mode) {
    return mode.compare(QLatin1String(SANE_VALUE_SCAN_MODE_LINEART), Qt::CaseInsensitive) == 0 ||
           mode.compare(QLatin1String("Binary"), Qt::CaseInsensitive) == 0;
}

bool isGreyMode(const QString& mode) {
    return mode.compare(QLatin1String(SANE_VALUE_SCAN_MODE_GRAY), Qt::CaseInsensitive) == 0;
}

bool isColourMode(const QString& mode) {
    return mode.compare(QLatin1String(SANE_VALUE_SCAN_MODE_COLOR), Qt::CaseInsensitive) == 0;
}

// Progress is told when a page starts to come and then at most this often,
// so that showing it costs little against reading the page.
constexpr qint64 kProgressIntervalMs = 100;

constexpr const char* kGeometry[] = {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X,
                                     SANE_NAME_SCAN_BR_Y};

}  // namespace

SaneDevice::~SaneDevice() {
    close();
    if (initialised_) sane_exit();
}

bool SaneDevice::init() {
    if (!initialised_) {
        SANE_Int version = 0;
        initialised_ = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    return initialised_;
}

void SaneDevice::listDevices() {
    QList<ScannerDevice> found;
    const SANE_Device** devices = nullptr;
    if (init() && sane_get_devices(&devices, SANE_FALSE) == SANE_STATUS_GOOD) {
        for (; *devices; ++devices) {
            const SANE_Device& d = **devices;
            found.append({QString::fromUtf8(d.name), QStringLiteral("%1 %2 (%3)")
                                                         .arg(QString::fromUtf8(d.vendor),
                                                              QString::fromUtf8(d.model),
                                                              QString::fromUtf8(d.type))});
        }
    }
    emit devicesFound(found);
}

void SaneDevice::open(const QString& name) {
    close();
    if (!init()) {
        emit failed(SANE_STATUS_UNSUPPORTED);
        emit opened(SANE_STATUS_UNSUPPORTED);
        return;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(name.toUtf8().constData(), &handle);
    if (status == SANE_STATUS_GOOD) {
        handle_ = handle;
        SANE_Int count = 0;
        if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) == SANE_STATUS_GOOD)
            for (int i = 1; i < count; ++i)
                if (const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle, i); d && d->name)
                    options_.insert(QByteArray(d->name), i);
    } else {
        emit failed(status);
    }
    emit opened(status);
}

void SaneDevice::close() {
    if (SANE_Handle handle = handle_.exchange(nullptr)) sane_close(handle);
    options_.clear();
}

void SaneDevice::cancel() {
    cancelled_ = true;
    if (SANE_Handle handle = handle_.load()) sane_cancel(handle);
}

void SaneDevice::endPages() {
    if (SANE_Handle handle = handle_.load()) sane_cancel(handle);
    cancelled_ = false;
    stopped_ = false;
}

const SANE_Option_Descriptor* SaneDevice::option(const char* name, int* index) const {
    const auto found = options_.constFind(QByteArray(name));
    if (found == options_.constEnd() || !handle_) return nullptr;
    *index = found.value();
    return sane_get_option_descriptor(handle_, *index);
}

bool SaneDevice::isActive(const char* name) const {
    int index = 0;
    const SANE_Option_Descriptor* d = option(name, &index);
    return d && SANE_OPTION_IS_ACTIVE(d->cap);
}

double SaneDevice::number(const char* name) const {
    int index = 0;
    const SANE_Option_Descriptor* d = option(name, &index);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED))
        return 0;
    std::vector<SANE_Word> value(std::max<size_t>(1, d->size / sizeof(SANE_Word)));
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
        return 0;
    return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(value[0]) : value[0];
}

QString SaneDevice::text(const char* name) const {
    int index = 0;
    const SANE_Option_Descriptor* d = option(name, &index);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || d->type != SANE_TYPE_STRING) return QString();
    QByteArray value(d->size + 1, '\0');
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
        return QString();
    return QString::fromUtf8(value.constData());
}

QStringList SaneDevice::choices(const char* name) const {
    int index = 0;
    const SANE_Option_Descriptor* d = option(name, &index);
    QStringList list;
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap)) return list;
    if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s) list << QString::fromUtf8(*s);
    if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST)
        for (int i = 1; i <= d->constraint.word_list[0]; ++i)
            list << QString::number(d->type == SANE_TYPE_FIXED ? SANE_UNFIX(d->constraint.word_list[i])
                                                               : d->constraint.word_list[i]);
    return list;
}

void SaneDevice::rangeOf(const char* name, double* min, double* max) const {
    *min = *max = 0;
    int index = 0;
    const SANE_Option_Descriptor* d = option(name, &index);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap)) return;
    const auto value = [d](SANE_Word w) { return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w); };
    if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
        *min = value(d->constraint.range->min);
        *max = value(d->constraint.range->max);
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list[0] > 0) {
        *min = value(d->constraint.word_list[1]);
        *max = value(d->constraint.word_list[d->constraint.word_list[0]]);
    }
}

SANE_Status SaneDevice::setNumber(const char* name, double value) {
    int index = 0;
    const SANE_Option_Descriptor* d = option(name, &index);
    if (!d || !SANE_OPTION_IS_SETTABLE(d->cap) || !SANE_OPTION_IS_ACTIVE(d->cap)) return SANE_STATUS_UNSUPPORTED;
    SANE_Word word = 0;
    if (d->type == SANE_TYPE_FIXED)
        word = SANE_FIX(value);
    else if (d->type == SANE_TYPE_INT || d->type == SANE_TYPE_BOOL)
        word = SANE_Word(std::lround(value));
    else
        return SANE_STATUS_INVAL;
    return sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, &word, nullptr);
}

SANE_Status SaneDevice::setText(const char* name, const QString& value) {
    int index = 0;
    const SANE_Option_Descriptor* d = option(name, &index);
    if (!d || !SANE_OPTION_IS_SETTABLE(d->cap) || !SANE_OPTION_IS_ACTIVE(d->cap)) return SANE_STATUS_UNSUPPORTED;
    QByteArray bytes = value.toUtf8();
    bytes.resize(std::max<int>(d->size, bytes.size() + 1), '\0');
    return sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, bytes.data(), nullptr);
}

int SaneDevice::setOption(const QString& name, const QString& value) {
    const QByteArray key = name.toUtf8();
    int index = 0;
    const SANE_Option_Descriptor* d = option(key.constData(), &index);
    if (!d) return SANE_STATUS_UNSUPPORTED;
    if (d->type == SANE_TYPE_STRING) return setText(key.constData(), value);
    if (d->type == SANE_TYPE_BOOL)
        return setNumber(key.constData(), value == QLatin1String("yes") || value == QLatin1String("1"));
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? setNumber(key.constData(), number) : SANE_STATUS_INVAL;
}

// Black and white is a mode of its own on most devices, one bit of grey on
// others.
QString SaneDevice::modeOf() const {
    const QString mode = text(SANE_NAME_SCAN_MODE);
    if (isBlackWhiteMode(mode) || (isGreyMode(mode) && number(SANE_NAME_BIT_DEPTH) == 1)) return kModeBlackWhite;
    if (isGreyMode(mode)) return kModeGrey;
    if (isColourMode(mode)) return kModeColour;
    return mode;
}

SANE_Status SaneDevice::setMode(const QString& mode) {
    const QStringList offered = choices(SANE_NAME_SCAN_MODE);
    const auto offeredMode = [&](bool (*matches)(const QString&)) {
        for (const QString& m : offered)
            if (matches(m)) return m;
        return QString();
    };
    QString saneMode = mode;
    int depth = 8;
    if (mode == kModeBlackWhite) {
        saneMode = offeredMode(isBlackWhiteMode);
        if (saneMode.isEmpty()) saneMode = offeredMode(isGreyMode), depth = 1;
    } else if (mode == kModeGrey) {
        saneMode = offeredMode(isGreyMode);
    } else if (mode == kModeColour) {
        saneMode = offeredMode(isColourMode);
    }
    if (saneMode.isEmpty()) return SANE_STATUS_UNSUPPORTED;
    SANE_Status status = setText(SANE_NAME_SCAN_MODE, saneMode);
    if (status == SANE_STATUS_GOOD && isActive(SANE_NAME_BIT_DEPTH)) status = setNumber(SANE_NAME_BIT_DEPTH, depth);
    return status;
}

ScanSettings SaneDevice::settings() {
    ScanSettings s;
    s.resolution = int(std::lround(number(SANE_NAME_SCAN_RESOLUTION)));
    double min = 0, max = 0;
    rangeOf(SANE_NAME_SCAN_RESOLUTION, &min, &max);
    s.minResolution = int(std::lround(min));
    s.maxResolution = int(std::lround(max));
    s.mode = modeOf();
    for (const QString& m : choices(SANE_NAME_SCAN_MODE)) {
        if (isBlackWhiteMode(m)) s.modes << kModeBlackWhite;
        if (isGreyMode(m)) {
            if (choices(SANE_NAME_BIT_DEPTH).contains(QStringLiteral("1"))) s.modes << kModeBlackWhite;
            s.modes << kModeGrey;
        }
        if (isColourMode(m)) s.modes << kModeColour;
    }
    s.modes.removeDuplicates();
    double edges[4] = {};
    for (int i = 0; i < 4; ++i) edges[i] = number(kGeometry[i]);
    s.area = QRectF(QPointF(edges[0], edges[1]), QPointF(edges[2], edges[3]));
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    rangeOf(SANE_NAME_SCAN_BR_X, &minX, &maxX);
    rangeOf(SANE_NAME_SCAN_BR_Y, &minY, &maxY);
    s.maxArea = QRectF(0, 0, maxX, maxY);
    s.source = text(SANE_NAME_SCAN_SOURCE);
    s.sources = choices(SANE_NAME_SCAN_SOURCE);
    return s;
}

// Every setting the device has is set; the first refusal is the result.
int SaneDevice::setSettings(const ScanSettings& wanted) {
    std::vector<SANE_Status> results;
    if (!wanted.mode.isEmpty()) results.push_back(setMode(wanted.mode));
    if (!wanted.source.isEmpty()) results.push_back(setText(SANE_NAME_SCAN_SOURCE, wanted.source));
    if (wanted.resolution > 0) results.push_back(setNumber(SANE_NAME_SCAN_RESOLUTION, wanted.resolution));
    if (wanted.area.isValid()) {
        const double edges[4] = {wanted.area.left(), wanted.area.top(), wanted.area.right(), wanted.area.bottom()};
        for (int i = 0; i < 4; ++i)
            if (isActive(kGeometry[i])) results.push_back(setNumber(kGeometry[i], edges[i]));
    }
    for (SANE_Status status : results)
        if (status != SANE_STATUS_GOOD) return status;
    return SANE_STATUS_GOOD;
}

bool SaneDevice::feederSelected() {
    const QString source = text(SANE_NAME_SCAN_SOURCE);
    return source.contains(QLatin1String("feeder"), Qt::CaseInsensitive) ||
           source.contains(QLatin1String("ADF"), Qt::CaseInsensitive);
}

void SaneDevice::endPage(SANE_Status status) {
    stopped_ = true;
    if (status != SANE_STATUS_CANCELLED && status != SANE_STATUS_NO_DOCS) emit failed(status);
    emit pageEnded(status);
}

// One page: sane_start, then sane_read until the end of the page. Once a
// page did not come, the pages asked for after it are not tried.
void SaneDevice::scanPage() {
    if (stopped_) return;
    SANE_Handle handle = handle_;
    if (!handle) return endPage(SANE_STATUS_INVAL);
    SANE_Status status = cancelled_ ? SANE_STATUS_CANCELLED : sane_start(handle);
    SANE_Parameters parameters{};
    if (status == SANE_STATUS_GOOD) status = sane_get_parameters(handle, &parameters);
    if (status == SANE_STATUS_GOOD && parameters.format != SANE_FRAME_GRAY && parameters.format != SANE_FRAME_RGB)
        status = SANE_STATUS_UNSUPPORTED;
    ScannedPage page;
    if (status == SANE_STATUS_GOOD) status = readPage(parameters, &page);
    if (status != SANE_STATUS_GOOD) {
        sane_cancel(handle);
        return endPage(status);
    }
    emit pageAvailable(page);
}

SANE_Status SaneDevice::readPage(const SANE_Parameters& parameters, ScannedPage* page) {
    page->width = parameters.pixels_per_line;
    page->depth = parameters.depth;
    page->samplesPerPixel = parameters.format == SANE_FRAME_RGB ? 3 : 1;
    page->bytesPerLine = parameters.bytes_per_line;
    page->dpi = number(SANE_NAME_SCAN_RESOLUTION);
    const qint64 expected = parameters.lines > 0 ? qint64(parameters.lines) * parameters.bytes_per_line : 0;
    if (expected > 0) page->data.reserve(expected);
    constexpr int kChunk = 256 * 1024;
    std::vector<SANE_Byte> buffer(kChunk);
    int shownPercent = -1;
    QElapsedTimer sinceShown;
    for (;;) {
        SANE_Int length = 0;
        const SANE_Status status = sane_read(handle_, buffer.data(), kChunk, &length);
        if (cancelled_) return SANE_STATUS_CANCELLED;
        if (status == SANE_STATUS_EOF) break;
        if (status != SANE_STATUS_GOOD) return status;
        page->data.append(reinterpret_cast<const char*>(buffer.data()), length);
        const int percent = expected > 0 ? int(page->data.size() * 100 / expected) : 0;
        if (percent != shownPercent && (shownPercent < 0 || sinceShown.hasExpired(kProgressIntervalMs))) {
            emit progress(shownPercent = percent);
            sinceShown.restart();
        }
    }
    if (page->bytesPerLine <= 0) return SANE_STATUS_IO_ERROR;
    page->height = int(page->data.size() / page->bytesPerLine);
    return page->height > 0 ? SANE_STATUS_GOOD : SANE_STATUS_IO_ERROR;
}

}  // namespace palvenor::acquire
