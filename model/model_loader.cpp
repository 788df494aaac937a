// Model loader: a glTF 2.0 file (.gltf with its files, or .glb) into ModelData, or the cause it is refused; no GL.
#include "model/model_loader.h"

#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>

#include "model/animation_conversion.h"
#include "model/material_conversion.h"
#include "model/mesh_conversion.h"
#include "model/model_container.h"
#include "model/model_folder.h"
#include "model/model_source.h"
#include "model/node_conversion.h"
#include "platform/file_mapping.h"

namespace {

// Extensions a file may require that the loader reads: quantized attributes
// are integer accessors, which every attribute takes.
const char* const kSupportedExtensions[] = {"KHR_mesh_quantization"};
const std::string kLightsExtension = "KHR_lights_punctual";
// What the parser builds at most from one JSON object (a material record of
// tinygltf 2.7 with its nested records, grown arrays and the JSON tree's
// node), from one byte outside strings (a number of two characters becomes a
// 16-byte JSON value and an 8-byte double), and from one byte of a string
// (kept, and decoded when it is a data URI).
constexpr std::uint64_t kParsedBytesPerJsonObject = 2560;
constexpr std::uint64_t kParsedBytesPerJsonByte = 16;
constexpr std::uint64_t kParsedBytesPerStringByte = 2;
// The parser's messages can run long; the first line says what went wrong.
constexpr std::size_t kMaxParserMessage = 200;

bool supported(const std::string& extension) {
    for (const char* name : kSupportedExtensions) {
        if (extension == name) return true;
    }
    return false;
}

// A model that requires what we cannot read is refused; what it only uses is
// left out with a note, as are its cameras and lights.
void checkExtensions(const tinygltf::Model& gltf, ModelNotes& notes) {
    for (const std::string& extension : gltf.extensionsRequired) {
        if (!supported(extension)) refuseModel("it requires the extension " + extension + ", which is not supported");
    }
    std::string unused;
    bool lights = !gltf.lights.empty();
    for (const std::string& extension : gltf.extensionsUsed) {
        if (extension == kLightsExtension) {
            lights = true;
        } else if (!supported(extension)) {
            unused += (unused.empty() ? "" : ", ") + extension;
        }
    }
    if (lights) notes.add("lights (" + kLightsExtension + ")");
    if (!gltf.cameras.empty()) notes.add("cameras");
    if (!unused.empty()) notes.add("extensions the picture does not need: " + unused);
}

// Stores an image's encoded bytes for our own decoder instead of letting the
// parser decode them. Bytes of an image in a buffer view are not looked at
// here: the conversion reads them once the view is checked against its buffer.
bool keepImageBytes(tinygltf::Image* image, const int, std::string* error, std::string*, int, int,
                    const unsigned char* bytes, int size, void* budget) {
    if (image->bufferView >= 0) return true;
    if (size <= 0 || !static_cast<LoadBudget*>(budget)->tryCharge(static_cast<std::uint64_t>(size), 1)) {
        if (error != nullptr) *error += "an image is empty or larger than a model may be\n";
        return false;
    }
    image->image.assign(bytes, bytes + size);
    return true;
}

std::string firstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    if (line.size() > kMaxParserMessage) line = line.substr(0, kMaxParserMessage) + "...";
    return line;
}

void parse(const std::uint8_t* bytes, std::size_t size, ModelFolder& folder, LoadBudget& budget,
           tinygltf::Model& gltf) {
    const ContainerShape shape = checkModelContainer(bytes, size);
    if (shape.usedSize > std::numeric_limits<unsigned int>::max()) refuseModel("larger than a glTF file may be");
    // The parser keeps a copy of the file's binary chunk and builds a tree of
    // its JSON and then its own records, each far larger than the text.
    budget.charge(shape.usedSize, 1, "the file");
    budget.charge(shape.jsonObjects, kParsedBytesPerJsonObject, "the JSON's objects");
    budget.charge(shape.jsonStructureBytes, kParsedBytesPerJsonByte, "the JSON's numbers");
    budget.charge(shape.jsonStringBytes, kParsedBytesPerStringByte, "the JSON's strings");
    tinygltf::TinyGLTF parser;
    parser.SetFsCallbacks(folder.callbacks());
    parser.SetImageLoader(&keepImageBytes, &budget);
    std::string error;
    std::string warning;
    const unsigned int length = static_cast<unsigned int>(shape.usedSize);
    const bool parsed = shape.kind == ModelContainer::Binary
                            ? parser.LoadBinaryFromMemory(&gltf, &error, &warning, bytes, length, folder.base())
                            : parser.LoadASCIIFromString(&gltf, &error, &warning, reinterpret_cast<const char*>(bytes),
                                                         length, folder.base());
    if (!parsed) {
        const std::string fileFailure = folder.firstFailure();
        refuseModel(fileFailure.empty() ? "not valid glTF: " + firstLine(error) : "the file " + fileFailure);
    }
    if (gltf.asset.version.compare(0, 2, "2.") != 0) {
        refuseModel("glTF version " + gltf.asset.version + "; only version 2 is read");
    }
}

void convert(const ModelSource& source, const ModelFolder& folder, ModelData& data) {
    checkExtensions(source.gltf, source.notes);
    convertNodes(source, data);
    const std::vector<MeshJointUse> jointUse = convertMeshes(source, data);
    convertSkins(source, jointUse, data);
    convertAnimations(source, data);
    convertMaterials(source, folder, data);
}

void report(const std::string& name, const ModelNotes& notes, const ModelLoadSettings& settings) {
    for (const std::string& line : notes.lines()) {
        if (settings.notes != nullptr) {
            settings.notes->push_back(line);
        } else {
            std::fprintf(stderr, "%s: ignored: %s\n", name.c_str(), line.c_str());
        }
    }
}

}  // namespace

bool loadModelFromMemory(const std::uint8_t* bytes, std::size_t size, const std::string& folder,
                         const std::string& name, ModelData& out, std::string& cause,
                         const ModelLoadSettings& settings) {
    LoadBudget budget(settings.maxBytes);
    ModelNotes notes;
    ModelData data;
    try {
        ModelFolder files(folder, budget);
        tinygltf::Model gltf;
        parse(bytes, size, files, budget, gltf);
        convert(ModelSource{gltf, budget, notes}, files, data);
    } catch (const ModelError& error) {
        cause = name + ": " + error.what();
        return false;
    } catch (const std::bad_alloc&) {
        cause = name + ": not enough memory to load it";
        return false;
    } catch (const std::exception& error) {
        // The parser may throw on input it does not expect.
        cause = name + ": not valid glTF (" + error.what() + ")";
        return false;
    }
    data.sourceName = name;
    out = std::move(data);
    report(name, notes, settings);
    return true;
}

bool loadModel(const std::string& path, ModelData& out, std::string& cause, const ModelLoadSettings& settings) {
    FileMapping file;
    if (!file.open(path.c_str())) {
        cause = path + ": " + file.failure();
        return false;
    }
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) folder = ".";
    return loadModelFromMemory(file.data(), file.size(), folder, path, out, cause, settings);
}
