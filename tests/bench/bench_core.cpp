// Costs of the byte work behind open, add, save, extract and reorder on
// large containers, beside a plain file copy of the same bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/document_io.h"
#include "document/reorder.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "store/d88.h"
#include "store/image_buffer.h"

namespace {

std::string TempPath(const char* name) { return std::string("/tmp/orvanel-bench-") + name; }

// A container of `count` images of `imageSize` bytes each.
void MakeContainer(const std::string& path, uint32_t count, uint32_t imageSize) {
    std::vector<uint8_t> image(imageSize, 0xE5);
    std::memset(image.data(), 0, kHeaderSize < imageSize ? kHeaderSize : imageSize);
    WriteLe32(&image[kOffDiskSize], imageSize);
    FILE* f = std::fopen(path.c_str(), "wb");
    for (uint32_t i = 0; i < count; ++i) {
        std::snprintf(reinterpret_cast<char*>(image.data()), kNameField, "DISK %u", i);
        std::fwrite(image.data(), 1, image.size(), f);
    }
    std::fclose(f);
}


struct Walked {
    const uint8_t* base;
    uint32_t size;
    std::vector<uint32_t> offsets;
};

uint32_t Collect(void* ctx, uint32_t offset) {
    Walked* w = static_cast<Walked*>(ctx);
    HeaderFields fields;
    if (!ReadHeader(SystemMemory(), w->base, w->size, offset, &fields)) return 0;
    w->offsets.push_back(offset);
    return fields.diskSize;
}

// Sizes: 1, 64 and 512 MiB of 1 MiB images, and 10,000 images of 4 KiB.
void Shapes(benchmark::internal::Benchmark* b) {
    b->Args({1, 1 << 20})->Args({64, 1 << 20})->Args({512, 1 << 20})->Args({10000, 4096});
    b->Unit(benchmark::kMillisecond)->Iterations(3);
}

std::string ContainerFor(const benchmark::State& state) {
    std::string path = TempPath(("in-" + std::to_string(state.range(0)) + "-" +
                                 std::to_string(state.range(1)) + ".d88")
                                    .c_str());
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f) {
        std::fclose(f);
    } else {
        MakeContainer(path, static_cast<uint32_t>(state.range(0)),
                      static_cast<uint32_t>(state.range(1)));
    }
    return path;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) *
                            state.range(1));
}

// The container of a benchmark read into a block and walked, as an open does.
struct Loaded {
    uint8_t* block = nullptr;
    uint32_t size = 0;
    std::vector<uint32_t> offsets;
    explicit Loaded(const std::string& path) {
        bool opened = false;
        ReadWholeFile(SystemFiles(), SystemMemory(), path.c_str(), &block, &size, &opened);
        Walked w{block, size, {}};
        WalkImages(0, size, Collect, &w);
        offsets.swap(w.offsets);
    }
    ~Loaded() { ReleaseBlock(SystemMemory(), block, size); }
};

void BM_Open(benchmark::State& state) {
    std::string path = ContainerFor(state);
    for (auto _ : state) {
        uint8_t* block = nullptr;
        uint32_t size = 0;
        bool opened = false;
        ReadWholeFile(SystemFiles(), SystemMemory(), path.c_str(), &block, &size, &opened);
        Walked w{block, size, {}};
        WalkImages(0, size, Collect, &w);
        benchmark::DoNotOptimize(w.offsets.size());
        ReleaseBlock(SystemMemory(), block, size);
    }
    SetBytes(state);
}

void BM_AddToItself(benchmark::State& state) {
    std::string path = ContainerFor(state);
    uint8_t* block = nullptr;
    uint32_t size = 0;
    bool opened = false;
    ReadWholeFile(SystemFiles(), SystemMemory(), path.c_str(), &block, &size, &opened);
    for (auto _ : state) {
        uint8_t* grown = nullptr;
        uint32_t added = 0;
        ReadFileAppended(SystemFiles(), SystemMemory(), path.c_str(), block, size, &grown, &added);
        ReleaseBlock(SystemMemory(), grown, size + added);
    }
    ReleaseBlock(SystemMemory(), block, size);
    SetBytes(state);
}

void BM_Save(benchmark::State& state) {
    std::string out = TempPath("out.d88");
    Loaded doc(ContainerFor(state));
    std::reverse(doc.offsets.begin(), doc.offsets.end());
    for (auto _ : state) {
        WriteImages(SystemFiles(), SystemMemory(), doc.block, doc.size, doc.offsets.data(),
                    doc.offsets.size(), out.c_str(), false);
    }
    std::remove(out.c_str());
    SetBytes(state);
}

void BM_ExtractAll(benchmark::State& state) {
    std::string out = TempPath("x.d88");
    Loaded doc(ContainerFor(state));
    for (auto _ : state) {
        for (uint32_t offset : doc.offsets)
            WriteImages(SystemFiles(), SystemMemory(), doc.block, doc.size, &offset, 1,
                        out.c_str(), false);
    }
    std::remove(out.c_str());
    SetBytes(state);
}

void BM_CopyFile(benchmark::State& state) {
    std::string path = ContainerFor(state);
    std::string out = TempPath("copy.d88");
    for (auto _ : state) SystemFiles().Copy(path.c_str(), out.c_str());
    std::remove(out.c_str());
    SetBytes(state);
}

// Reordering n items: the sort with the move comparison.
void BM_ReorderCompare(benchmark::State& state) {
    size_t n = static_cast<size_t>(state.range(0));
    std::vector<uint32_t> order(n);
    std::vector<bool> selected(n);
    for (size_t i = 0; i < n; ++i) selected[i] = (i % 3) == 0;
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i) order[i] = static_cast<uint32_t>(i);
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            return CompareForMoveKeys(a, selected[a], b, selected[b],
                                      static_cast<uint32_t>(n / 2)) < 0;
        });
        benchmark::DoNotOptimize(order.data());
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_Open)->Apply(Shapes);
BENCHMARK(BM_AddToItself)->Apply(Shapes);
BENCHMARK(BM_Save)->Apply(Shapes);
BENCHMARK(BM_ExtractAll)->Apply(Shapes);
BENCHMARK(BM_CopyFile)->Apply(Shapes);
BENCHMARK(BM_ReorderCompare)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

BENCHMARK_MAIN();
