// The update check's network side: fetch the published version number and decide when to ask.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace millconv {

// Where the maker publishes the latest version number; MILLCONV_UPDATE_URL replaces it.
inline constexpr std::string_view kDefaultUpdateInfoUrl =
    "http://www.pixelmill.example/files/millconv.dat";
inline constexpr const char* kUpdateUrlVariable = "MILLCONV_UPDATE_URL";

// Sent when the caller gives no user agent.
inline constexpr std::string_view kFallbackUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; en)";

// Longest wait for the whole check, and the pause between polls.
inline constexpr std::chrono::milliseconds kUpdateWaitLimit{10000};
inline constexpr std::chrono::milliseconds kUpdatePollDelay{20};

// The most of a response that is read; a longer one is treated as a failed check.
inline constexpr size_t kUpdateResponseLimit = 64 * 1024;

// The value of [General] Update Range that turns the automatic check off.
inline constexpr int32_t kUpdateRangeNever = 5;

// An http URL taken apart: host as written (no port), "/"-led path, port (80 by default).
struct UpdateUrl {
    std::string host;
    std::string path;
    uint16_t port = 80;
};

// Splits "http://host[:port]/path"; the scheme is optional. Nothing for an empty host or a
// port that is not a number from 1 to 65535.
std::optional<UpdateUrl> SplitUpdateUrl(std::string_view url);

// The HTTP/1.0 GET request for path on host, byte for byte as the maker's server expects it.
std::string BuildUpdateRequest(const UpdateUrl& url, std::string_view userAgent);

// The first three characters of the trimmed body: the text between the first and the second
// blank line (CR LF CR LF) of the response, read up to its first zero byte.
std::string UpdateInfoFromResponse(std::string_view response);

// Fetches url and returns UpdateInfoFromResponse of the whole response; empty on any failure:
// bad url, unresolvable host, refused connection, no complete response within waitLimit (one
// limit for the name lookup, the connection, the request and the response), a set cancel
// flag, or a response over kUpdateResponseLimit. An empty userAgent sends kFallbackUserAgent.
// Blocks the calling thread; a lookup still running when the check ends is left behind.
std::string FetchUpdateInfo(const std::string& url, const std::string& userAgent,
                            std::chrono::milliseconds waitLimit = kUpdateWaitLimit,
                            const std::atomic<bool>* cancel = nullptr);

// MILLCONV_UPDATE_URL when set and not empty, else kDefaultUpdateInfoUrl.
std::string UpdateInfoUrl();

// The version number read from the leading decimal digits of text; 0 when there are none.
int32_t VersionFromUpdateInfo(std::string_view text);

// Days between automatic checks for an Update Range value: 0 -> 1, 1 -> 7, 2 -> 30, 3 -> 90,
// 4 -> 180, 5 -> never (nothing), anything else 30.
std::optional<int32_t> UpdateIntervalDays(int32_t updateRange);

// True when the automatic check is due: now (a date value) is later than updateDate plus the
// interval of updateRange.
bool UpdateCheckDue(int32_t updateRange, int64_t updateDate, int64_t now);

} // namespace millconv
