// The extension lists the open pipeline classifies files by. Membership is a
// substring test of the upper-case extension (with its dot) in the list, so
// ".JP" passes as a JPEG; an empty extension matches no list.
#pragma once

#include <string>

namespace core {

inline constexpr const char* kAcceptedList =
    ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TIFF.TGA.PCD..WAV.AVI.MPG.M1V.MPE.MPEG.MP2.MP3.MPV.MPA.QT."
    "MOV.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.RM";
inline constexpr const char* kMediaList =
    ".WAV.AVI.MPG.M1V.MPE.MPEG.MP2.MP3.MPV.MPA.QT.MOV.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.RM";
inline constexpr const char* kImageManList = ".PCX.DCX.TIF.TIFF.TGA.BMP.DIB";
inline constexpr const char* kImageManFirstList = ".PNG.TIF.TIFF";
inline constexpr const char* kDialogFastList = ".PNG.PCX.BMP.DIB.TGA";

inline bool InList(const std::string& upperExt, const char* list) {
    return !upperExt.empty() && std::string(list).find(upperExt) != std::string::npos;
}
inline bool IsJpegExtension(const std::string& upperExt) {
    return upperExt.find(".JP") != std::string::npos;
}

} // namespace core
