#include "OcrRecords.h"

#include <QtEndian>

#include <bit>

namespace palvenor::ocr {
namespace {

// Appends little-endian fields to a byte array.
class FieldWriter {
public:
    explicit FieldWriter(int size) { bytes_.reserve(size); }

    template <typename T>
    void put(T value)
    {
        char raw[sizeof(T)];
        qToLittleEndian(value, raw);
        bytes_.append(raw, sizeof(T));
    }
    void putFloat(float value) { put(std::bit_cast<uint32_t>(value)); }
    void putBytes(const QByteArray& bytes) { bytes_.append(bytes); }

    QByteArray bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

// Reads little-endian fields one after the other; the caller has checked
// that the bytes are long enough.
class FieldReader {
public:
    FieldReader(const QByteArray& bytes, qsizetype offset) : data_(bytes.constData() + offset) {}

    template <typename T>
    T get()
    {
        const T value = qFromLittleEndian<T>(data_);
        data_ += sizeof(T);
        return value;
    }
    float getFloat() { return std::bit_cast<float>(get<uint32_t>()); }

private:
    const char* data_;
};

void write(FieldWriter& out, const ProcessOptions& options)
{
    out.put(options.StructId);
    out.put(options.InvertWholePage);
    out.put(options.DeskewOff);
    out.put(options.Orientation);
    out.put(options.Language);
    out.put(options.NoiseRemoveOff);
    out.put(options.LineRemoveOff);
    out.put(options.DeshadeOff);
    out.put(options.InvertOff);
    out.put(options.SectioningOn);
    out.put(options.MergeBreakOff);
    out.put(options.LineRejectOff);
    out.put(options.CharacterRejectOff);
    out.put(options.LexOff);
    for (int16_t disabled : options.DisableCharacter)
        out.put(disabled);
}

ProcessOptions readProcessOptions(FieldReader& in)
{
    ProcessOptions options;
    options.StructId = in.get<int32_t>();
    options.InvertWholePage = in.get<int16_t>();
    options.DeskewOff = in.get<int16_t>();
    options.Orientation = in.get<uint8_t>();
    options.Language = in.get<uint8_t>();
    options.NoiseRemoveOff = in.get<int16_t>();
    options.LineRemoveOff = in.get<int16_t>();
    options.DeshadeOff = in.get<int16_t>();
    options.InvertOff = in.get<int16_t>();
    options.SectioningOn = in.get<int16_t>();
    options.MergeBreakOff = in.get<int16_t>();
    options.LineRejectOff = in.get<int16_t>();
    options.CharacterRejectOff = in.get<int16_t>();
    options.LexOff = in.get<int16_t>();
    for (int16_t& disabled : options.DisableCharacter)
        disabled = in.get<int16_t>();
    return options;
}

ResultsHeader readHeader(FieldReader& in)
{
    ResultsHeader header;
    header.StructId = in.get<int32_t>();
    header.XPixelsPerInch = in.get<int32_t>();
    header.YPixelsPerInch = in.get<int32_t>();
    header.NumItems = in.get<int32_t>();
    header.MeanConfidence = in.getFloat();
    return header;
}

ResultsItem readItem(FieldReader& in)
{
    ResultsItem item;
    item.StructId = in.get<int16_t>();
    item.OCRCha = in.get<int16_t>();
    item.Confidence = in.getFloat();
    item.XPos = in.get<int16_t>();
    item.YPos = in.get<int16_t>();
    item.XDim = in.get<int16_t>();
    item.YDim = in.get<int16_t>();
    return item;
}

}  // namespace

QByteArray toBytes(const ProcessOptions& options)
{
    FieldWriter out(ProcessOptions::kSize);
    write(out, options);
    return out.bytes();
}

QByteArray toBytes(const JobInfo& job)
{
    FieldWriter out(JobInfo::kSize);
    out.put(job.StructId);
    out.put(job.JobType);
    out.put(job.InputFile);
    out.put(job.PageNo);
    write(out, job.Options);
    return out.bytes();
}

QByteArray toBytes(const ResultsHeader& header)
{
    FieldWriter out(ResultsHeader::kSize);
    out.put(header.StructId);
    out.put(header.XPixelsPerInch);
    out.put(header.YPixelsPerInch);
    out.put(header.NumItems);
    out.putFloat(header.MeanConfidence);
    return out.bytes();
}

QByteArray toBytes(const ResultsItem& item)
{
    FieldWriter out(ResultsItem::kSize);
    out.put(item.StructId);
    out.put(item.OCRCha);
    out.putFloat(item.Confidence);
    out.put(item.XPos);
    out.put(item.YPos);
    out.put(item.XDim);
    out.put(item.YDim);
    return out.bytes();
}

namespace {

// Reads a record with read() when bytes are exactly its size.
template <typename Record, typename Read>
bool readExactly(const QByteArray& bytes, Record* out, Read read)
{
    if (bytes.size() != Record::kSize)
        return false;
    FieldReader in(bytes, 0);
    *out = read(in);
    return true;
}

JobInfo readJobInfo(FieldReader& in)
{
    JobInfo job;
    job.StructId = in.get<int32_t>();
    job.JobType = in.get<int32_t>();
    job.InputFile = in.get<uint32_t>();
    job.PageNo = in.get<int32_t>();
    job.Options = readProcessOptions(in);
    return job;
}

}  // namespace

bool fromBytes(const QByteArray& bytes, ProcessOptions* out) { return readExactly(bytes, out, readProcessOptions); }
bool fromBytes(const QByteArray& bytes, JobInfo* out) { return readExactly(bytes, out, readJobInfo); }
bool fromBytes(const QByteArray& bytes, ResultsHeader* out) { return readExactly(bytes, out, readHeader); }
bool fromBytes(const QByteArray& bytes, ResultsItem* out) { return readExactly(bytes, out, readItem); }

QByteArray packResults(const Results& results)
{
    FieldWriter out(ResultsHeader::kSize + int(results.items.size()) * ResultsItem::kSize);
    out.putBytes(toBytes(results.header));
    for (const ResultsItem& item : results.items)
        out.putBytes(toBytes(item));
    return out.bytes();
}

std::optional<Results> unpackResults(const QByteArray& block)
{
    if (block.size() < ResultsHeader::kSize)
        return std::nullopt;
    FieldReader in(block, 0);
    Results results;
    results.header = readHeader(in);
    const qsizetype present = (block.size() - ResultsHeader::kSize) / ResultsItem::kSize;
    results.items.reserve(size_t(present));
    for (qsizetype i = 0; i < present; ++i)
        results.items.push_back(readItem(in));
    results.header.NumItems = int32_t(present);
    return results;
}

}  // namespace palvenor::ocr
