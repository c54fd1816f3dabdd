// Header parsing speed over the test corpus: every response parsed whole,
// sender and subject decoded. Reports megabytes of header text per second.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "postling/message/HeaderDecode.h"
#include "postling/message/Message.h"

namespace {

const char* const kFiles[] = {"thebat-koi8r-b.txt", "outlook-1251-q.txt", "mailru-utf8.txt",
                              "utf7.txt",           "raw-koi8r.txt",      "raw-1251.txt",
                              "broken-words.txt",   "truncated.txt"};

std::vector<std::string> LoadCorpus() {
    std::vector<std::string> headers;
    for (const char* file : kFiles) {
        std::ifstream in(std::string(POSTLING_MESSAGE_CORPUS) + "/" + file, std::ios::binary);
        headers.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return headers;
}

void Report(benchmark::State& state, std::size_t bytesPerIteration) {
    const double bytes = static_cast<double>(bytesPerIteration) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["MB"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);  // MB=N/s
}

void BM_ParseHeader(benchmark::State& state) {
    const std::vector<std::string> headers = LoadCorpus();
    std::size_t total = 0;
    for (const std::string& h : headers) total += h.size();
    if (total == 0) {
        state.SkipWithError("corpus not found");
        return;
    }
    for (auto _ : state) {
        for (const std::string& h : headers) {
            CMessage message;
            message.m_strHeader = h;
            benchmark::DoNotOptimize(message.ParseHeader());
            benchmark::DoNotOptimize(message.m_strSubject.data());
        }
    }
    Report(state, total);
}
BENCHMARK(BM_ParseHeader);

void BM_DecodeHeaderText(benchmark::State& state) {
    const std::vector<std::string> subjects = {
        "=?koi8-r?B?8NLJ18XU?= =?KOI8-R?b?8NLJ18XU?=",
        "=?windows-1251?Q?=CF=F0=E8=E2=E5=F2_=EC=E8=F0?=",
        "=?UTF-8?B?0JLRgdGC0YDQtdGH0LAg0LI=?= =?UTF-8?B?0L/Rj9GC0L3QuNGG0YMg4oCUIOKCrDU=?=",
        "\xF0\xD2\xC9\xD7\xC5\xD4 \xC9\xDA \xED\xCF\xD3\xCB\xD7\xD9 a=3Db",
    };
    std::size_t total = 0;
    for (const std::string& s : subjects) total += s.size();
    for (auto _ : state)
        for (const std::string& s : subjects)
            benchmark::DoNotOptimize(DecodeHeaderText(s, CharsetKoi8r).data());
    Report(state, total);
}
BENCHMARK(BM_DecodeHeaderText);

}  // namespace

BENCHMARK_MAIN();
