// Accessor reader: a glTF accessor (with its sparse part) into a plain array, every byte checked against its buffer.
#include "model/accessor_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {

// The bytes of one component; 0 for a component type glTF does not have
// (tinygltf also passes 32-bit signed integers and doubles).
std::uint64_t componentBytes(int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return 1;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            return 2;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        case TINYGLTF_COMPONENT_TYPE_FLOAT:
            return 4;
        default:
            return 0;
    }
}

const char* typeName(int accessorType) {
    switch (accessorType) {
        case TINYGLTF_TYPE_SCALAR:
            return "SCALAR";
        case TINYGLTF_TYPE_VEC2:
            return "VEC2";
        case TINYGLTF_TYPE_VEC3:
            return "VEC3";
        case TINYGLTF_TYPE_VEC4:
            return "VEC4";
        case TINYGLTF_TYPE_MAT2:
            return "MAT2";
        case TINYGLTF_TYPE_MAT3:
            return "MAT3";
        case TINYGLTF_TYPE_MAT4:
            return "MAT4";
        default:
            return "of an unknown type";
    }
}

std::string componentsName(int components) {
    switch (components) {
        case 1:
            return "SCALAR";
        case 16:
            return "MAT4";
        default:
            return "VEC" + std::to_string(components);
    }
}

// The first element of a checked run of count elements and the distance between two.
struct ElementRange {
    const std::uint8_t* first;
    std::uint64_t stride;
};

const std::uint8_t* checkedView(const ModelSource& source, int viewIndex, std::uint64_t& size,
                                const std::string& what) {
    if (!inRange(viewIndex, source.gltf.bufferViews)) {
        refuseModel(what + " names buffer view " + std::to_string(viewIndex) + ", which does not exist");
    }
    const tinygltf::BufferView& view = source.gltf.bufferViews[static_cast<std::size_t>(viewIndex)];
    if (!inRange(view.buffer, source.gltf.buffers)) {
        refuseModel(what + ": buffer view " + std::to_string(viewIndex) + " names buffer " +
                    std::to_string(view.buffer) + ", which does not exist");
    }
    const std::vector<unsigned char>& buffer = source.gltf.buffers[static_cast<std::size_t>(view.buffer)].data;
    const std::uint64_t bufferSize = buffer.size();
    const std::uint64_t offset = view.byteOffset;
    const std::uint64_t length = view.byteLength;
    if (offset > bufferSize || length > bufferSize - offset) {
        refuseModel(what + ": buffer view " + std::to_string(viewIndex) + " (" + std::to_string(length) +
                    " bytes from byte " + std::to_string(offset) + ") lies outside buffer " +
                    std::to_string(view.buffer) + " of " + std::to_string(bufferSize) + " bytes");
    }
    size = length;
    return buffer.data() + offset;
}

// Checks that count elements of elementBytes, starting offset bytes into the
// view and stride apart, lie inside the view, with arithmetic that cannot
// overflow whatever the file says. count is at least 1.
ElementRange checkedRange(const ModelSource& source, int viewIndex, std::uint64_t offset, std::uint64_t elementBytes,
                          bool viewStrideApplies, std::uint64_t count, const std::string& what) {
    std::uint64_t viewSize = 0;
    const std::uint8_t* viewBytes = checkedView(source, viewIndex, viewSize, what);
    std::uint64_t stride = elementBytes;
    const std::uint64_t viewStride = source.gltf.bufferViews[static_cast<std::size_t>(viewIndex)].byteStride;
    if (viewStrideApplies && viewStride != 0) {
        if (viewStride < elementBytes) {
            refuseModel(what + ": buffer view " + std::to_string(viewIndex) + " has a byte stride of " +
                        std::to_string(viewStride) + ", smaller than its elements of " + std::to_string(elementBytes) +
                        " bytes");
        }
        stride = viewStride;
    }
    if (offset > viewSize || elementBytes > viewSize - offset ||
        count - 1 > (viewSize - offset - elementBytes) / stride) {
        refuseModel(what + " reads past the end of buffer view " + std::to_string(viewIndex) + " (" +
                    std::to_string(count) + " elements of " + std::to_string(elementBytes) + " bytes, " +
                    std::to_string(stride) + " apart, from byte " + std::to_string(offset) + " of " +
                    std::to_string(viewSize) + ")");
    }
    return {viewBytes + offset, stride};
}

// Copies count elements of components values each, converting every value.
// The element address is computed afresh each time, never stepped past the range.
template <typename Component, typename Out, typename Convert>
void gather(const ElementRange& range, std::uint64_t count, int components, Out* out, Convert convert) {
    for (std::uint64_t element = 0; element < count; ++element) {
        const std::uint8_t* bytes = range.first + element * range.stride;
        for (int component = 0; component < components; ++component) {
            Component value;
            std::memcpy(&value, bytes + component * sizeof(Component), sizeof(Component));
            *out++ = convert(value);
        }
    }
}

// Integers to floats: normalised ones to [0, 1] or [-1, 1] as glTF defines them.
struct ToFloat {
    bool normalized;

    template <typename Component>
    float operator()(Component value) const {
        if constexpr (std::is_floating_point_v<Component>) {
            return value;
        } else {
            const float converted = static_cast<float>(value);
            if (!normalized) return converted;
            const float largest = static_cast<float>(std::numeric_limits<Component>::max());
            if constexpr (std::is_signed_v<Component>) {
                return std::max(converted / largest, -1.0f);
            } else {
                return converted / largest;
            }
        }
    }
};

template <typename Out>
struct ToUnsigned {
    template <typename Component>
    Out operator()(Component value) const {
        return static_cast<Out>(value);
    }
};

// How an accessor's components become Out values: which component types it
// takes and the conversion for each.
struct FloatReading {
    bool normalized;

    static bool accepts(int componentType) { return componentBytes(componentType) != 0; }
    void operator()(int componentType, const ElementRange& range, std::uint64_t count, int components,
                    float* out) const {
        const ToFloat convert{normalized};
        switch (componentType) {
            case TINYGLTF_COMPONENT_TYPE_BYTE:
                return gather<std::int8_t>(range, count, components, out, convert);
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
                return gather<std::uint8_t>(range, count, components, out, convert);
            case TINYGLTF_COMPONENT_TYPE_SHORT:
                return gather<std::int16_t>(range, count, components, out, convert);
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
                return gather<std::uint16_t>(range, count, components, out, convert);
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
                return gather<std::uint32_t>(range, count, components, out, convert);
            default:
                return gather<float>(range, count, components, out, convert);
        }
    }
};

template <typename Out, bool kWithThirtyTwoBits>
struct UnsignedReading {
    static bool accepts(int componentType) {
        return componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
               componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
               (kWithThirtyTwoBits && componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
    }
    void operator()(int componentType, const ElementRange& range, std::uint64_t count, int components, Out* out) const {
        const ToUnsigned<Out> convert;
        switch (componentType) {
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
                return gather<std::uint8_t>(range, count, components, out, convert);
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
                return gather<std::uint16_t>(range, count, components, out, convert);
            default:
                if constexpr (kWithThirtyTwoBits) {
                    return gather<std::uint32_t>(range, count, components, out, convert);
                }
        }
    }
};

using IndexReading = UnsignedReading<std::uint32_t, true>;
using JointReading = UnsignedReading<std::uint16_t, false>;

// Reads the sparse indices: strictly increasing, each below the accessor's count.
std::vector<std::uint32_t> readSparseIndices(const ModelSource& source, const tinygltf::Accessor& accessor,
                                             const std::string& what) {
    const auto& sparse = accessor.sparse;
    const std::uint64_t count = static_cast<std::uint64_t>(sparse.count);
    const std::string indicesWhat = what + "'s sparse indices";
    if (!IndexReading::accepts(sparse.indices.componentType)) {
        refuseModel(indicesWhat + " have component type " + std::to_string(sparse.indices.componentType) +
                    ", not an unsigned integer type");
    }
    if (sparse.indices.byteOffset < 0) refuseModel(indicesWhat + " start at a negative byte offset");
    const ElementRange range =
        checkedRange(source, sparse.indices.bufferView, static_cast<std::uint64_t>(sparse.indices.byteOffset),
                     componentBytes(sparse.indices.componentType), false, count, indicesWhat);
    source.budget.charge(count, sizeof(std::uint32_t), indicesWhat);
    std::vector<std::uint32_t> indices(count);
    IndexReading{}(sparse.indices.componentType, range, count, 1, indices.data());
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] >= accessor.count) {
            refuseModel(indicesWhat + " name element " + std::to_string(indices[i]) + " of " +
                        std::to_string(accessor.count));
        }
        if (i > 0 && indices[i] <= indices[i - 1]) refuseModel(indicesWhat + " do not increase");
    }
    return indices;
}

// Replaces the elements the sparse part names with its values.
template <typename Out, typename Reading>
void applySparse(const ModelSource& source, const tinygltf::Accessor& accessor, int components,
                 std::uint64_t elementBytes, const Reading& reading, std::vector<Out>& out, const std::string& what) {
    const auto& sparse = accessor.sparse;
    if (sparse.count < 1 || static_cast<std::uint64_t>(sparse.count) > accessor.count) {
        refuseModel(what + " has a sparse part of " + std::to_string(sparse.count) + " elements, not 1 to " +
                    std::to_string(accessor.count));
    }
    const std::vector<std::uint32_t> indices = readSparseIndices(source, accessor, what);
    const std::string valuesWhat = what + "'s sparse values";
    if (sparse.values.byteOffset < 0) refuseModel(valuesWhat + " start at a negative byte offset");
    const ElementRange range =
        checkedRange(source, sparse.values.bufferView, static_cast<std::uint64_t>(sparse.values.byteOffset),
                     elementBytes, false, indices.size(), valuesWhat);
    source.budget.charge(indices.size(), components * sizeof(Out), valuesWhat);
    std::vector<Out> values(indices.size() * static_cast<std::size_t>(components));
    reading(accessor.componentType, range, indices.size(), components, values.data());
    for (std::size_t i = 0; i < indices.size(); ++i) {
        std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(i * components), components,
                    out.begin() + static_cast<std::ptrdiff_t>(indices[i]) * components);
    }
}

template <typename Out, typename Reading>
std::vector<Out> readElements(const ModelSource& source, int index, int components, const std::string& use,
                              const Reading& reading) {
    const tinygltf::Accessor& accessor = accessorAt(source, index, use);
    const std::string what = use + " (accessor " + std::to_string(index) + ")";
    if (accessorComponents(accessor.type) != components) {
        refuseModel(what + " is " + typeName(accessor.type) + ", not " + componentsName(components));
    }
    if (!Reading::accepts(accessor.componentType)) {
        refuseModel(what + " has component type " + std::to_string(accessor.componentType) +
                    ", which this attribute cannot have");
    }
    if (accessor.count == 0) refuseModel(what + " has no elements");
    const std::uint64_t elementBytes = componentBytes(accessor.componentType) * static_cast<std::uint64_t>(components);
    // Without a buffer view the elements are zeros (a sparse part may then set some).
    const bool hasView = accessor.bufferView >= 0;
    const ElementRange range = hasView ? checkedRange(source, accessor.bufferView, accessor.byteOffset, elementBytes,
                                                      true, accessor.count, what)
                                       : ElementRange{nullptr, 0};
    source.budget.charge(accessor.count, components * sizeof(Out), what);
    std::vector<Out> out(accessor.count * static_cast<std::size_t>(components));
    if (hasView) reading(accessor.componentType, range, accessor.count, components, out.data());
    if (accessor.sparse.isSparse) applySparse(source, accessor, components, elementBytes, reading, out, what);
    return out;
}

}  // namespace

int accessorComponents(int accessorType) {
    switch (accessorType) {
        case TINYGLTF_TYPE_SCALAR:
            return 1;
        case TINYGLTF_TYPE_VEC2:
            return 2;
        case TINYGLTF_TYPE_VEC3:
            return 3;
        case TINYGLTF_TYPE_VEC4:
            return 4;
        case TINYGLTF_TYPE_MAT4:
            return 16;
        default:
            // MAT2 and MAT3 pad their columns; nothing we read has them.
            return 0;
    }
}

const tinygltf::Accessor& accessorAt(const ModelSource& source, int index, const std::string& use) {
    if (!inRange(index, source.gltf.accessors)) {
        refuseModel(use + " names accessor " + std::to_string(index) + ", which does not exist");
    }
    return source.gltf.accessors[static_cast<std::size_t>(index)];
}

std::vector<float> readFloats(const ModelSource& source, int index, int components, const std::string& use) {
    const bool normalized = accessorAt(source, index, use).normalized;
    std::vector<float> values = readElements<float>(source, index, components, use, FloatReading{normalized});
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            refuseModel(use + " (accessor " + std::to_string(index) + ") holds a value that is not finite (element " +
                        std::to_string(i / static_cast<std::size_t>(components)) + ")");
        }
    }
    return values;
}

std::vector<std::uint32_t> readIndices(const ModelSource& source, int index, const std::string& use) {
    return readElements<std::uint32_t>(source, index, 1, use, IndexReading{});
}

std::vector<std::uint16_t> readJoints(const ModelSource& source, int index, const std::string& use) {
    return readElements<std::uint16_t>(source, index, 4, use, JointReading{});
}

const std::uint8_t* bufferViewBytes(const ModelSource& source, int view, std::size_t& size, const std::string& use) {
    std::uint64_t length = 0;
    const std::uint8_t* bytes = checkedView(source, view, length, use);
    size = static_cast<std::size_t>(length);
    return bytes;
}
