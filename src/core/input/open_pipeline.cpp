#include "core/input/open_pipeline.h"

#include "core/common/dib.h"
#include "core/common/memory.h"
#include "core/common/paths.h"
#include "core/imagelib/imagelib.h"
#include "core/input/extension_lists.h"
#include "core/input/gray_tga.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace core {

using namespace imageman;

std::string LzwRefusalText() {
    return "LZW compresssion is NOT supported.\nFile is compressed with patented method.\n"
           "See help file regarding GIF Controversy.";
}

std::string NotAcceptedText(const std::string& upperExtension) {
    std::string text = "Unknown file format.\n";
    if (upperExtension.size() > 1)
        text += upperExtension.substr(1) + " files cannot be opened.";
    else
        text += "A name without an extension cannot be opened.";
    return text;
}

OpenPipeline::~OpenPipeline() {
    CloseLibraryImage();
    KeepProbedImage(0, {});
}

void OpenPipeline::CloseLibraryImage() {
    if (library_) ImgClose(library_);
    library_ = 0;
}

void OpenPipeline::KeepProbedImage(HIMAGE image, const std::string& file) {
    if (probed_) ImgClose(probed_);
    probed_ = image;
    probedFile_ = file;
}

HIMAGE OpenPipeline::TakeProbedImage(const std::string& file) {
    HIMAGE image = 0;
    if (probed_ && probedFile_ == file)
        image = probed_;
    else if (probed_)
        ImgClose(probed_);
    probed_ = 0;
    probedFile_.clear();
    return image;
}

namespace {

void ApplyPlanes(DocumentState& doc) {
    if (doc.planes > 1 && doc.PictureBits <= 8) doc.PictureBits *= doc.planes;
}

ProbeResult Failed(ProbeMessage message = ProbeMessage::None, std::string text = {}) {
    return ProbeResult{-1, message, std::move(text)};
}

} // namespace

ProbeResult OpenPipeline::ProbeFile(DocumentState& doc, const OpenEnvironment& env) {
    if (!initialised_) {
        ImgInit();
        initialised_ = true;
    }
    doc.PageCount = 1;
    doc.CurrentExt = UpperExtension(doc.CurrentFile);
    const std::string& ext = doc.CurrentExt;

    if (!InList(ext, kAcceptedList)) {
        const std::filesystem::path named(doc.CurrentFile);
        doc.CurrentFile = doc.PreviousFile;
        // A show passes over such files; a user who named an existing one is
        // told why nothing opens.
        std::error_code ec;
        if (env.ShowRunning || !std::filesystem::is_regular_file(named, ec)) return Failed();
        return Failed(ProbeMessage::NotAccepted, NotAcceptedText(ext));
    }
    if (InList(ext, kMediaList)) return ProbeResult{2, ProbeMessage::None, {}};

    doc.depthBeforeOpen = doc.PictureBits;
    doc.JpegLoaded = false;

    if (ext == ".PCD") {
        // Packs live in the disc's image folder as IMGnnnn.PCD.
        std::string lower = doc.CurrentFile;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (lower.find("img") == std::string::npos) return Failed();
        const photocd::PcdProbe probe = pcd_.Probe(doc.CurrentFile, std::clamp(env.PhotoCdStep, 0, 6));
        if (probe.index == photocd::kProbeFailed)
            return Failed(ProbeMessage::LibraryError, pcd_.error());
        doc.PhotoCdResolution = probe.index;
        doc.PhotoCdRotation = probe.rotation;
        doc.PictureWidth = doc.FullWidth = probe.width;
        doc.PictureHeight = doc.FullHeight = probe.height;
        doc.PictureBits = 24;
        doc.planes = 1;
        doc.typeText = "PCD";
        doc.compressionText = "Photo CD";
        return ProbeResult{1, ProbeMessage::None, {}};
    }

    if (IsJpegExtension(ext)) {
        jpeg_.setScale(1);
        Status loaded = jpeg_.LoadFile(doc.CurrentFile);
        if (loaded) {
            auto header = jpeg_.ReadHeader();
            if (header) {
                doc.PictureWidth = doc.FullWidth = header->width;
                doc.PictureHeight = doc.FullHeight = header->height;
                doc.PictureBits = header->bits();
                doc.planes = 1;
                doc.typeText = "JPEG";
                doc.compressionText = header->progressive ? "JPEG progressive" : "JPEG";
                doc.JpegFallback = false;
                doc.JpegLoaded = true;
                return ProbeResult{1, ProbeMessage::None, {}};
            }
        }
        // libjpeg refused the file: the tolerant decoder reads it instead.
        jpeg_.Clear();
        doc.JpegFallback = true;
        if (!env.FirstActivationDone && !doc.PlainOpenPending) {
            doc.PlainOpenPending = true;
            return Failed();
        }
    }

    doc.ImageManPng = false;
    HIMAGE probeImage = 0;
    const bool imageManFirst = InList(ext, kImageManFirstList) && !IsJpegExtension(ext);
    if (imageManFirst) {
        probeImage = ImgOpenSolo(doc.CurrentFile);
        if (!probeImage) return Failed(ProbeMessage::LibraryError, ImgErrorString());
        std::int32_t pages = 1;
        ImgPageCount(probeImage, &pages);
        doc.PageCount = pages;
    }

    imagelib::FileFacts facts;
    const int factsResult = imagelib::GetFileFacts(doc.CurrentFile, &facts);
    int result = factsResult;
    if (ext == ".PNG" && (factsResult < 0 || facts.bits < 9)) doc.ImageManPng = true;
    if (factsResult >= 0) {
        doc.PictureWidth = doc.FullWidth = facts.width;
        doc.PictureHeight = doc.FullHeight = facts.height;
        doc.PictureBits = facts.bits;
        doc.planes = facts.planes;
        doc.typeText = facts.typeText;
        doc.compressionText = facts.compressionText;
    }

    if (doc.compressionText.find("LZ") != std::string::npos && factsResult >= 0) {
        if (probeImage) ImgClose(probeImage);
        // During a slideshow the file is skipped without a message.
        if (env.ShowRunning) return Failed();
        return Failed(ProbeMessage::LzwRefused, LzwRefusalText());
    }

    const bool imageManFile = doc.ImageManPng || InList(ext, kImageManList);
    if (!imageManFile) {
        if (probeImage) ImgClose(probeImage);
        if (factsResult < 0) return Failed(ProbeMessage::LibraryError, imagelib::LastError());
        ApplyPlanes(doc);
        if (!env.FirstLayout &&
            !EnoughMemory(ImageMemSize(doc.PictureWidth, doc.PictureHeight, doc.PictureBits,
                                       env.ScreenBits, env.AutoReduce),
                          2))
            return Failed(ProbeMessage::InsufficientMemory, "Insufficient memory.");
        return ProbeResult{result, ProbeMessage::None, {}};
    }

    if (!probeImage) {
        probeImage = ImgOpenSolo(doc.CurrentFile);
        if (!probeImage) return Failed(ProbeMessage::LibraryError, ImgErrorString());
        std::int32_t pages = 1;
        ImgPageCount(probeImage, &pages);
        doc.PageCount = pages;
    }
    BitmapInfoHeader info;
    const int got = ImgGetInfoStruct(probeImage, &info, nullptr);
    if (!got) {
        const std::string infoError = ImgErrorString();
        ImgClose(probeImage);
        return Failed(ProbeMessage::LibraryError, infoError);
    }
    // The decode that follows takes this image over instead of reading the
    // file again.
    KeepProbedImage(probeImage, doc.CurrentFile);
    doc.PictureWidth = doc.FullWidth = info.biWidth;
    doc.PictureHeight = doc.FullHeight = info.biHeight;
    doc.PictureBits = info.biBitCount;
    doc.planes = info.biPlanes;

    if (ext == ".TGA") {
        auto bytes = ReadWholeFile(doc.CurrentFile);
        auto type = bytes ? ReadTgaImageType(bytes.value()) : Result<int>(bytes.error());
        doc.typeText = std::to_string(type ? type.value() : 0);
    }
    ApplyPlanes(doc);

    if (ext == ".PNG" && doc.PictureBits > 4) {
        if (factsResult < 0 && doc.PictureBits == 8)
            return Failed(ProbeMessage::LibraryError, imagelib::LastError());
        doc.ImageManPng = false;
    }
    if (ext == ".BMP" || ext == ".DIB") {
        doc.BmpReader = false;
        if (doc.PictureBits > 8 && doc.PictureBits != 24) {
            doc.PictureBits = 24;
            doc.BmpReader = true;
        }
    }
    return ProbeResult{1, ProbeMessage::None, {}};
}

FaxReduction FaxReductionSize(int width, int height, int quality) {
    FaxReduction r;
    r.sourceWidth = (width - 1) / 8 * 8;
    r.sourceHeight = (height - 1) / 8 * 8;
    switch (quality) {
    case 2:
        r.width = static_cast<int>(std::int64_t{r.sourceWidth} * 3333 / 10000);
        r.height = static_cast<int>(std::int64_t{r.sourceHeight} * 3333 / 10000);
        break;
    case 3:
        r.width = r.sourceWidth / 4;
        r.height = r.sourceHeight / 4;
        break;
    default:
        r.width = r.sourceWidth / 2;
        r.height = r.sourceHeight / 2;
    }
    return r;
}

bool ShouldReduceFaxPage(int width, int height, int bits, int quality) {
    return quality != 0 && bits == 1 && width >= 16 && height >= 16;
}

Result<DecodedPicture> OpenPipeline::DecodeImageMan(DocumentState& doc, const OpenEnvironment& env,
                                                    int page, const ProgressFn& progress,
                                                    bool keepOnFailure) {
    DecodeOptions options;
    options.background = env.background;
    options.progress = progress;
    options.incomplete = &incomplete_;
    DecodedPicture out;

    if (doc.CurrentExt == ".TGA" && doc.typeText == "3") {
        KeepProbedImage(0, {});
        auto bytes = ReadWholeFile(doc.CurrentFile);
        if (!bytes) return bytes.error();
        auto gray = ReadGrayTGA(bytes.value());
        if (!gray) return gray.error();
        out.picture = std::move(gray).value();
        out.decoder = Decoder::GrayTga;
        return out;
    }

    if (!library_) library_ = TakeProbedImage(doc.CurrentFile);
    if (!library_) {
        library_ = ImgOpenSolo(doc.CurrentFile);
        if (!library_) return Error{ImgErrorString()};
    }
    ImgSetDecodeOptions(library_, options);
    if (!ImgSetPage(library_, page)) return Error{ImgErrorString()};

    if (doc.CurrentExt != ".PNG" && env.FaxQuality != 0) {
        BitmapInfoHeader info;
        if (!ImgGetInfoStruct(library_, &info, nullptr)) return Error{ImgErrorString()};
        const int bits = info.biBitCount * std::max<int>(1, info.biPlanes);
        if (ShouldReduceFaxPage(info.biWidth, info.biHeight, bits, env.FaxQuality)) {
            const FaxReduction r = FaxReductionSize(info.biWidth, info.biHeight, env.FaxQuality);
            const Rect source{0, 0, r.sourceWidth, r.sourceHeight};
            const HIMAGE gray = r.width > 0 && r.height > 0
                                    ? ImgCopy(library_, r.width, r.height, &source, kCopyAverage32)
                                    : 0;
            if (gray) {
                Bitmap reduced;
                const int done = ImgPrintImage(gray, &reduced);
                ImgClose(gray);
                if (done) {
                    doc.PictureWidth = reduced.width();
                    doc.PictureHeight = reduced.height();
                    doc.PictureBits = 8;
                    out.picture = std::move(reduced);
                    out.decoder = Decoder::FaxReduction;
                    return out;
                }
            }
            // The copy failed: show the page as it is.
        }
    }

    if (!ImgPrintImage(library_, &out.picture)) {
        const std::string why = ImgErrorString();
        // A damaged page of a document being paged leaves the other pages readable.
        if (!keepOnFailure) CloseLibraryImage();
        return Error{why};
    }
    out.decoder = doc.BmpReader ? Decoder::BmpReader : Decoder::ImageMan;
    if (doc.BmpReader) CloseLibraryImage(); // the bitmap read the file itself
    return out;
}

Result<DecodedPicture> OpenPipeline::DecodeJpeg(DocumentState& doc, const OpenEnvironment& env,
                                                const ProgressFn& progress) {
    const bool screen8 = env.ScreenBits == 8;
    enum class Kind { Full, Scaled, Direct } kind;
    bool autoReduce = env.AutoReduce;
    if (screen8 || env.FitToWindow || env.ShowRunning || !env.AutoReduce) {
        kind = (env.FitToWindow || env.ShowRunning) ? Kind::Scaled : Kind::Full;
    } else if ((doc.PictureWidth < 2049 || doc.PictureHeight <= 1536) && doc.PictureBits != 8) {
        kind = Kind::Direct;
    } else {
        kind = Kind::Full;
        autoReduce = false; // a large picture stays device-independent
    }

    if (!jpeg_.loaded()) {
        if (auto st = jpeg_.LoadFile(doc.CurrentFile); !st) return st.error();
    }
    int step = 1;
    if (kind == Kind::Scaled) {
        const int cw = std::max(1, env.clientWidth), ch = std::max(1, env.clientHeight);
        step = JpegScaleStep(doc.FullWidth, doc.FullHeight, cw, ch);
    }
    jpeg_.setScale(step);
    auto header = jpeg_.ReadHeader();
    if (!header) return header.error();
    doc.ReducedScale = step > 1;
    doc.Scale = step;
    doc.PictureWidth = header->width;
    doc.PictureHeight = header->height;

    bool ddb = false;
    if (kind == Kind::Direct) {
        ddb = true;
        jpeg_.setEightBit(doc.PictureBits == 8);
        jpeg_.setSpeed(true);
    } else {
        ddb = autoReduce && !screen8;
        if (!ddb && autoReduce && screen8) doc.PictureBits = 8;
        const bool eightBit = doc.PictureBits == 8;
        jpeg_.setEightBit(eightBit);
        jpeg_.setSpeed(!(eightBit && screen8 && env.JpegPalette >= 2));
    }
    const int dither = screen8 ? env.JpegPalette : kDitherNone;
    // Slideshow slides decode without progress.
    const ProgressFn noProgress;
    auto decoded =
        jpeg_.Decode(dither, (kind == Kind::Scaled && env.ShowRunning) ? noProgress : progress);
    if (!decoded) return decoded.error();
    DecodedPicture out;
    out.picture = std::move(decoded).value();
    out.scale = step;
    out.decoder = kind == Kind::Direct   ? Decoder::JpegDirect
                  : kind == Kind::Scaled ? Decoder::JpegScaled
                                         : Decoder::JpegFull;
    if (ddb) {
        if (auto st = MakeDeviceDependent(out.picture, env.ScreenBits); !st) return st.error();
    }
    return out;
}

Result<DecodedPicture> OpenPipeline::OpenImage(DocumentState& doc, const OpenEnvironment& env,
                                               const ProgressFn& progress) {
    CloseLibraryImage();
    doc.ReducedScale = false;
    doc.Scale = 1;
    if (doc.PictureBits > 8) doc.PictureBits = 24;

    Result<DecodedPicture> result = Error{"Nothing decoded."};
    const std::string& ext = doc.CurrentExt;
    const bool jpeg = IsJpegExtension(ext);
    DecodeOptions options;
    options.background = env.background;
    options.progress = progress;
    incomplete_ = false;
    options.incomplete = &incomplete_;

    if (!jpeg) {
        if (doc.ImageManPng || InList(ext, kImageManList)) {
            result = DecodeImageMan(doc, env, 0, progress);
        } else if (ext == ".PNG") {
            int bits = doc.PictureBits > 8 ? 24 : doc.PictureBits;
            bool reduce = false;
            if (env.AutoReduce && env.ScreenBits == 8 && doc.PictureBits > 8) {
                bits = 8;
                reduce = true;
            } else if (env.AutoReduce && env.ScreenBits == 4) {
                bits = 0;
                reduce = true;
            }
            Bitmap picture;
            if (imagelib::PngToBitmap(doc.CurrentFile, bits, reduce, &picture, options) < 0) {
                result = Error{imagelib::LastError()};
            } else {
                DecodedPicture out;
                out.picture = std::move(picture);
                out.decoder = Decoder::ImageLibPng;
                result = std::move(out);
            }
        } else if (ext == ".PCD") {
            DecodedPicture out;
            pcd_.setResolution(doc.PhotoCdResolution);
            if (pcd_.ImportPCD(doc.CurrentFile, out.picture, env.ShowRunning, progress,
                               env.ScreenBits, env.AutoReduce) != 0) {
                result = Error{pcd_.error()};
            } else {
                doc.PhotoCdResolution = pcd_.resolution();
                doc.PhotoCdRotation = pcd_.rotation();
                if (!env.ShowRunning) {
                    doc.PhotoCdDescription = pcd_.description();
                    doc.PhotoCdRightsFile = pcd_.rightsFile();
                }
                out.decoder = Decoder::PhotoCd;
                result = std::move(out);
            }
        } else {
            result = Error{"This file cannot be read."};
        }
    } else {
        if (!doc.JpegFallback) {
            result = DecodeJpeg(doc, env, progress);
            // A libjpeg error after a good probe: the tolerant decoder reads it again.
            if (!result) doc.JpegFallback = true;
        }
        if (doc.JpegFallback) {
            doc.ReducedScale = false;
            doc.Scale = 1;
            auto bytes = ReadWholeFile(doc.CurrentFile);
            if (!bytes) {
                result = bytes.error();
            } else {
                auto pic = imagelib::DecodeJpegTolerant(bytes.value(), options);
                if (!pic) {
                    result = pic.error();
                } else {
                    DecodedPicture out;
                    out.picture = std::move(pic).value();
                    out.decoder = Decoder::ImageLibJpeg;
                    result = std::move(out);
                }
            }
        }
        jpeg_.Clear();
        doc.JpegLoaded = false;
    }

    KeepProbedImage(0, {}); // a probed image the decode did not need
    if (!result) {
        // The failure tail: put back the previous name and depth.
        doc.JpegFallback = false;
        doc.PictureBits = doc.depthBeforeOpen;
        doc.CurrentFile = doc.PreviousFile;
        return result;
    }
    Bitmap& pic = result->picture;
    result->incomplete = incomplete_;
    doc.JpegFallback = false;
    if (!doc.ReducedScale) {
        doc.PictureWidth = pic.width();
        doc.PictureHeight = pic.height();
    }
    doc.PictureBits = ShownBits(pic, env.ScreenBits);
    return result;
}

Result<DecodedPicture> OpenPipeline::DecodePage(DocumentState& doc, const OpenEnvironment& env,
                                                int page, const ProgressFn& progress) {
    if (page < 0 || page >= doc.PageCount) return Error{"No such page."};
    incomplete_ = false;
    auto result = DecodeImageMan(doc, env, page, progress, true);
    if (result) {
        result->incomplete = incomplete_;
        doc.PictureWidth = result->picture.width();
        doc.PictureHeight = result->picture.height();
        doc.PictureBits = result->picture.bits();
    }
    return result;
}

std::string ColourCountText(int bits) {
    switch (bits) {
    case 1:
        return "2";
    case 4:
        return "16";
    case 8:
        return "256";
    case 15:
        return "32k";
    case 16:
        return "64k";
    case 24:
    case 32:
        return "16m";
    default:
        return "?";
    }
}

std::string PictureDescription(const DocumentState& doc, const Bitmap& picture) {
    const int w = doc.ReducedScale ? doc.FullWidth : picture.width();
    const int h = doc.ReducedScale ? doc.FullHeight : picture.height();
    std::string text =
        std::to_string(w) + "x" + std::to_string(h) + "x" + ColourCountText(doc.PictureBits);
    if (doc.ReducedScale) text += " [1:" + std::to_string(doc.Scale) + "]";
    text += picture.deviceDependent() ? " ddb" : " dib";
    return text;
}

int ShownBits(const Bitmap& picture, int screenBits) {
    return picture.deviceDependent() ? (screenBits > 8 ? 24 : screenBits) : picture.bits();
}

Status MakeDeviceDependent(Bitmap& picture, int screenBits) {
    if (picture.deviceDependent() || picture.empty()) return Ok();
    if (screenBits <= 8) {
        // Palette screens keep the picture's own format.
        picture.setDeviceDependent(true);
        return Ok();
    }
    if (picture.bits() != 24) {
        auto made = Bitmap::Create(picture.width(), picture.height(), 24);
        if (!made) return made.error();
        Bitmap out = std::move(made).value();
        for (int y = 0; y < picture.height(); ++y) {
            std::uint8_t* o = out.row(y);
            for (int x = 0; x < picture.width(); ++x) {
                const std::uint32_t c = picture.rgb(x, y);
                o[3 * x] = static_cast<std::uint8_t>(c);
                o[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
                o[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
            }
        }
        picture = std::move(out);
    }
    picture.setDeviceDependent(true);
    return Ok();
}

} // namespace core
