// Model source: the parsed glTF file with the loader's budget, notes and refusal, shared by the conversion steps.
#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Why a file is refused. Thrown inside the loader only, and turned into the
// cause that loadModel returns; nothing outside the loader sees it.
class ModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void refuseModel(const std::string& cause) { throw ModelError(cause); }

// The bytes one file may still make the loader allocate. Every array is
// charged before it is allocated, so an absurd count is refused instead of
// exhausting memory.
class LoadBudget {
public:
    explicit LoadBudget(std::uint64_t bytes) : remaining_(bytes) {}

    // Charges count items of itemBytes each; refuses the file when they do not fit.
    void charge(std::uint64_t count, std::uint64_t itemBytes, const std::string& what) {
        if (!tryCharge(count, itemBytes)) {
            refuseModel(what + " would need more memory than a model may take (" + std::to_string(count) +
                        " items of " + std::to_string(itemBytes) + " bytes)");
        }
    }
    // As charge, but answers instead of refusing (for callbacks that must not throw).
    bool tryCharge(std::uint64_t count, std::uint64_t itemBytes) {
        if (itemBytes != 0 && count > remaining_ / itemBytes) return false;
        remaining_ -= count * itemBytes;
        return true;
    }

private:
    std::uint64_t remaining_;
};

// What a file holds that the program leaves out: one line per kind, each said once.
class ModelNotes {
public:
    void add(const std::string& line) {
        for (const std::string& kept : lines_) {
            if (kept == line) return;
        }
        lines_.push_back(line);
    }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

struct ModelSource {
    const tinygltf::Model& gltf;
    LoadBudget& budget;
    ModelNotes& notes;
};

// Whether index names an element of items (an index from the file may be anything).
template <typename Items>
bool inRange(int index, const Items& items) {
    return index >= 0 && static_cast<std::size_t>(index) < items.size();
}
