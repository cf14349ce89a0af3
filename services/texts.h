// The program's own texts, as GBK (code page 936) bytes. Every text the
// user sees comes from here; the comment gives its meaning.
#pragma once

namespace texts {

// "MD5校验工具": MD5 verification tool (window caption)
inline constexpr char kWindowCaption[] = "MD5\xD0\xA3\xD1\xE9\xB9\xA4\xBE\xDF";
// "文件路径": file path (column 1 header)
inline constexpr char kColumnPath[] = "\xCE\xC4\xBC\xFE\xC2\xB7\xBE\xB6";
// "文件大小": file size (column 2 header)
inline constexpr char kColumnSize[] = "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1";
// "数据摘要": data digest (column 3 header)
inline constexpr char kColumnDigest[] = "\xCA\xFD\xBE\xDD\xD5\xAA\xD2\xAA";
// "当前进度": current progress (column 4 header)
inline constexpr char kColumnProgress[] = "\xB5\xB1\xC7\xB0\xBD\xF8\xB6\xC8";
// "导出文件": export file (button 按钮1)
inline constexpr char kExportButton[] = "\xB5\xBC\xB3\xF6\xCE\xC4\xBC\xFE";
// "数据摘要列表 (*.txt;*.ini)": digest list, the save dialog's first type
inline constexpr char kExportTypeDigestList[] =
    "\xCA\xFD\xBE\xDD\xD5\xAA\xD2\xAA\xC1\xD0\xB1\xED (*.txt;*.ini)";
// "md5sum 列表 (*.md5)": md5sum list, the save dialog's second type
inline constexpr char kExportTypeMd5sum[] = "md5sum \xC1\xD0\xB1\xED (*.md5)";
// "导出文件失败": export failed (message box, followed by the path and the reason)
inline constexpr char kExportFailed[] = "\xB5\xBC\xB3\xF6\xCE\xC4\xBC\xFE\xCA\xA7\xB0\xDC";
// "线程池取摘要": get digests with the thread pool (hidden button)
inline constexpr char kPooledRunButton[] = "\xCF\xDF\xB3\xCC\xB3\xD8\xC8\xA1\xD5\xAA\xD2\xAA";
// "普通取摘要": get digests the plain way (hidden button)
inline constexpr char kPlainRunButton[] = "\xC6\xD5\xCD\xA8\xC8\xA1\xD5\xAA\xD2\xAA";
// "停止": stop
inline constexpr char kStopButton[] = "\xCD\xA3\xD6\xB9";
// "正在计算MD5值...": computing the MD5 value...
inline constexpr char kComputing[] = "\xD5\xFD\xD4\xDA\xBC\xC6\xCB\xE3" "MD5" "\xD6\xB5...";
// "获取数据摘要失败": failed to get the data digest
inline constexpr char kDigestFailed[] = "\xBB\xF1\xC8\xA1\xCA\xFD\xBE\xDD\xD5\xAA\xD2\xAA\xCA\xA7\xB0\xDC";
// "文件通过校验": file passed verification
inline constexpr char kVerified[] = "\xCE\xC4\xBC\xFE\xCD\xA8\xB9\xFD\xD0\xA3\xD1\xE9";
// "！验证错误": verification error (full-width exclamation mark first)
inline constexpr char kMismatch[] = "\xA3\xA1\xD1\xE9\xD6\xA4\xB4\xED\xCE\xF3";
// "！无法读取": cannot be read (verdict of a listed file that failed;
// full-width exclamation mark first, as the mismatch verdict)
inline constexpr char kUnreadable[] = "\xA3\xA1\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1";
// "！已停止": stopped (verdict of a listed file that 停止 ended unfinished)
inline constexpr char kStopped[] = "\xA3\xA1\xD2\xD1\xCD\xA3\xD6\xB9";
// "！拒绝打开": refused to open (verdict of a listed name that is a server's
// share, a device or an alternate data stream: a downloaded list must not
// make the program reach another machine, so it is never opened)
inline constexpr char kNotOpened[] = "\xA3\xA1\xBE\xDC\xBE\xF8\xB4\xF2\xBF\xAA";
// "无法读取列表": the digest list cannot be read (标签1, followed by the
// path and the reason)
inline constexpr char kListUnreadable[] = "\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1\xC1\xD0\xB1\xED";
// "列表中没有条目": the digest list holds no entry (标签1, followed by the path)
inline constexpr char kListEmpty[] = "\xC1\xD0\xB1\xED\xD6\xD0\xC3\xBB\xD3\xD0\xCC\xF5\xC4\xBF";
// "未列入列表的行(没有最终摘要): ": rows left out of the exported list, having
// no final digest (message box, followed by their count and the path)
inline constexpr char kExportLeftOut[] =
    "\xCE\xB4\xC1\xD0\xC8\xEB\xC1\xD0\xB1\xED\xB5\xC4\xD0\xD0(\xC3\xBB\xD3\xD0\xD7\xEE\xD6\xD5\xD5\xAA\xD2\xAA): ";
// "总数量:": total count (label 标签1)
inline constexpr char kTotalCount[] = "\xD7\xDC\xCA\xFD\xC1\xBF:";
// " ->> ": separates a total from a part (size and done, total and count)
inline constexpr char kArrow[] = " ->> ";
// "100%": the progress text of a fully hashed file
inline constexpr char kFullProgress[] = "100%";
// "复制摘要": copy digest (row menu)
inline constexpr char kCopyDigest[] = "\xB8\xB4\xD6\xC6\xD5\xAA\xD2\xAA";
// "复制路径": copy path (row menu)
inline constexpr char kCopyPath[] = "\xB8\xB4\xD6\xC6\xC2\xB7\xBE\xB6";
// "校验此列表": verify this list (row menu of a digest list's row)
inline constexpr char kVerifyThisList[] = "\xD0\xA3\xD1\xE9\xB4\xCB\xC1\xD0\xB1\xED";
// "完成:": done files (hash mode count, 标签_统计)
inline constexpr char kCountDone[] = "\xCD\xEA\xB3\xC9\x3A";
// "失败:": files that could not be read whole, or were stopped
inline constexpr char kCountFailed[] = "\xCA\xA7\xB0\xDC\x3A";
// "通过:": passed files (verification)
inline constexpr char kCountPassed[] = "\xCD\xA8\xB9\xFD\x3A";
// "错误:": mismatched files (verification)
inline constexpr char kCountMismatched[] = "\xB4\xED\xCE\xF3\x3A";
// "待处理:": files not yet settled (verification)
inline constexpr char kCountPending[] = "\xB4\xFD\xB4\xA6\xC0\xED\x3A";
// "剩余 ": estimated time left, followed by minutes:seconds
inline constexpr char kTimeLeft[] = "\xCA\xA3\xD3\xE0\x20";
// "原因: ": the system's reason a row failed (row menu, before the message)
inline constexpr char kReason[] = "\xD4\xAD\xD2\xF2\x3A\x20";
// "再次检查未通过的文件\tF5": verify again only the rows that did not pass (row menu)
inline constexpr char kCheckAgain[] = "\xD4\xD9\xB4\xCE\xBC\xEC\xB2\xE9\xCE\xB4\xCD\xA8\xB9\xFD\xB5\xC4\xCE\xC4\xBC\xFE\t\x46\x35";
// "复制统计\tCtrl+Shift+C": copy the counts and every problem row (row menu)
inline constexpr char kCopySummary[] = "\xB8\xB4\xD6\xC6\xCD\xB3\xBC\xC6\t\x43\x74\x72\x6C\x2B\x53\x68\x69\x66\x74\x2B\x43";
// "/s" after a byte size: bytes hashed per second
inline constexpr char kPerSecond[] = "/s";
// The digest list beside the program.
inline constexpr char kDigestListName[] = "md5.ini";

}  // namespace texts
