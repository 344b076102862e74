// The engine's image operations: import from files, bytes and bitmap
// handles, and the image queries.
#include <optional>
#include <string>
#include <vector>

#include "base/TextCodec.h"
#include "engine/Vellumark.h"
#include "images/Handles.h"
#include "images/ImageImport.h"

namespace vellumark {

namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// Adds an image read from a file or bytes, noting transparency it lost.
int32_t AddImage(TVellumark& engine, std::unique_ptr<TPDFImageRes> image) {
    if (image->TransparencyDropped)
        engine.Diagnostics().Add(dcTransparencyDropped,
                                 "the image's transparency is dropped (MergeAlpha is False): transparent pixels "
                                 "show their stored colour");
    return engine.AddResource(std::move(image));
}

}  // namespace

TImportSettings TVellumark::ImportSettings() const {
    const TVellumark& e = *this;
    TImportSettings s;
    s.Compression.BW = e.GetCompressionBW();
    s.Compression.Gray = e.GetCompressionGray();
    s.Compression.Indexed = e.GetCompressionIndexed();
    s.Compression.RGB = e.GetCompressionRGB();
    s.UseSourceCompression = e.UseSourceCompression;
    s.ImageReadNumber = e.GetImageReadNumber();
    s.MergeAlpha = e.MergeAlpha;
    s.MergeAlphaColor = e.MergeAlphaColor;
    s.PassPNGData = e.PassPNGData;
    return s;
}

int32_t TVellumark::AddImageFile(const std::u16string& fileName) {
    std::string bytes = ReadWholeFile(Utf16ToUtf8(fileName), "File not found");
    return AddImage(*this, LoadImageFromBytes(std::move(bytes), ImportSettings()));
}

int32_t TVellumark::AddImageBytes(std::span<const uint8_t> data) {
    return AddImage(*this, LoadImageFromStream(data, ImportSettings()));
}


int32_t TVellumark::AddImageBMPHandle(int32_t handle) {
    if (handle == 0) {
        Diagnostics().Add(dcNothingAdded, "handle 0 adds no image; answers 0");
        return 0;
    }
    const auto h = static_cast<uint32_t>(handle);
    std::unique_ptr<TPDFImageRes> image;
    if (std::optional<TBMPImage> bitmap = handles::CopyBitmap(h)) {
        // A bitmap handle: the bitmap stays the caller's when ReleaseBMPHandle
        // is set, and is deleted here otherwise.
        image = ImageFromBitmap(*bitmap, ImportSettings());
        if (!ReleaseBMPHandle) handles::DeleteBitmap(h);
    } else {
        // A memory handle holding a packed bitmap is always consumed. A value
        // that is neither kind of handle is refused rather than turned into
        // an empty image.
        std::optional<std::vector<uint8_t>> memory = handles::TakeMemory(h);
        if (!memory) throw EPDFError("Invalid bitmap handle");
        TBMPImage packed;
        packed.LoadPackedDIB(std::span<const uint8_t>(memory->data(), memory->size()));
        image = ImageFromBitmap(packed, ImportSettings());
    }
    return AddResource(std::move(image));
}

int32_t TVellumark::ImageCount(const std::u16string& fileName) const {
    const std::string bytes = ReadWholeFile(Utf16ToUtf8(fileName), "File not found: " + Utf16ToUtf8(fileName));
    return CountImages(Bytes(bytes));
}

namespace {
const TPDFImageRes* ImageFor(const TVellumark& e, int32_t resource) {
    const TPDFResource* r = e.Resource(resource);
    auto* image = dynamic_cast<const TPDFImageRes*>(r);
    if (!r)
        e.Diagnostics().Add(dcNoSuchResource, "there is no resource ", resource, " (the document has ",
                            e.Resources().Count(), "); answers 0");
    else if (!image)
        e.Diagnostics().Add(dcNoSuchResource, "resource ", resource, " is not an image; answers 0");
    return image;
}
}  // namespace

double TVellumark::ImageWidth(int32_t resource) const {
    auto* image = ImageFor(*this, resource);
    if (!image || image->XResolution == 0) return 0;
    return FromPoints(static_cast<double>(image->Width) / image->XResolution * 72);
}

double TVellumark::ImageHeight(int32_t resource) const {
    auto* image = ImageFor(*this, resource);
    if (!image || image->YResolution == 0) return 0;
    return FromPoints(static_cast<double>(image->Height) / image->YResolution * 72);
}

}  // namespace vellumark
