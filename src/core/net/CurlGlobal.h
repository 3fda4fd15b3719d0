#pragma once

#include <curl/curl.h>

#include <mutex>

// libcurl's process-wide initialisation, done once by whichever thread needs libcurl first.
// Never undone: the library stays ready until the process ends.
inline void EnsureCurlGlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}
