// Pass timing: GL_TIME_ELAPSED queries per pass group, read back right away; the latest times and, for the benchmark,
// medians at the end of the run.
#include "frame/pass_timer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/gl_entry_points.h"

namespace {

constexpr int kPassCount = kFramePassCount;
const char* const kPassNames[kPassCount] = {"shadow maps", "geometry", "lighting", "resolve and bloom",
                                            "composite and overlay"};

struct TimerQueries {
    PFNGLGENQUERIESPROC genQueries = nullptr;
    PFNGLBEGINQUERYPROC beginQuery = nullptr;
    PFNGLENDQUERYPROC endQuery = nullptr;
    PFNGLGETQUERYOBJECTUI64VPROC getResult = nullptr;
    bool available() const { return genQueries && beginQuery && endQuery && getResult; }
};

bool recording = false;  // --benchmark: keep every sample
bool wanted = false;     // the settings panel shows the latest times
bool useQueries = false;
TimerQueries queries;
GLuint query = 0;
std::chrono::steady_clock::time_point passStart;
double latest[kPassCount] = {};
int framesInContext = 0;  // frames begun since preparePassTiming
unsigned framesTimed = 0;
std::vector<double> passSamples[kPassCount];
std::vector<double> frameSamples;
double startupMilliseconds = -1.0;

double median(std::vector<double> samples) {
    if (samples.empty()) {
        return 0.0;
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : 0.5 * (samples[middle - 1] + samples[middle]);
}

bool timing() { return recording || wanted; }

}  // namespace

void preparePassTiming() {
    useQueries = extensionListed("GL_ARB_timer_query");
    if (useQueries) {
        lookUpEntryPoint(queries.genQueries, "glGenQueries");
        lookUpEntryPoint(queries.beginQuery, "glBeginQuery");
        lookUpEntryPoint(queries.endQuery, "glEndQuery");
        lookUpEntryPoint(queries.getResult, "glGetQueryObjectui64v");
        useQueries = queries.available();
    }
    // One query per context, which goes with it.
    query = 0;
    framesInContext = 0;
}

void enablePassTiming() { recording = true; }

void setPassTimesWanted(bool wantedNow) { wanted = wantedNow; }

void beginPass(FramePass pass) {
    if (pass == FramePass::Shadows) {
        ++framesInContext;
    }
    if (!timing()) {
        return;
    }
    if (useQueries) {
        if (query == 0) {
            queries.genQueries(1, &query);
        }
        queries.beginQuery(GL_TIME_ELAPSED, query);
    } else {
        glFinish();
        passStart = std::chrono::steady_clock::now();
    }
}

void endPass(FramePass pass) {
    if (!timing()) {
        return;
    }
    double milliseconds = 0.0;
    if (useQueries) {
        queries.endQuery(GL_TIME_ELAPSED);
        GLuint64 nanoseconds = 0;
        queries.getResult(query, GL_QUERY_RESULT, &nanoseconds);
        milliseconds = static_cast<double>(nanoseconds) * 1e-6;
    } else {
        glFinish();
        milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - passStart).count();
    }
    // The first frame of a context times wrongly on llvmpipe (its shadow pass
    // came out at thousands of seconds) and compiles the programs on first
    // use: it is not a frame like the others, and its times are dropped.
    if (framesInContext <= 1) {
        return;
    }
    latest[static_cast<int>(pass)] = milliseconds;
    if (pass == FramePass::CompositeAndOverlay) {
        ++framesTimed;
    }
    if (recording) {
        passSamples[static_cast<int>(pass)].push_back(milliseconds);
    }
}

unsigned timedFrameCount() { return framesTimed; }

double latestPassTime(FramePass pass) { return latest[static_cast<int>(pass)]; }

void recordFrameTime(double milliseconds) {
    if (recording) {
        frameSamples.push_back(milliseconds);
    }
}

void recordStartupTime(double milliseconds) {
    if (recording && startupMilliseconds < 0.0) {
        startupMilliseconds = milliseconds;
    }
}

void printPassTimings() {
    if (!recording) {
        return;
    }
    std::printf("benchmark: start-up to first frame %.1f ms\n", startupMilliseconds);
    std::printf("benchmark: %zu frames, median frame %.2f ms\n", frameSamples.size(), median(frameSamples));
    for (int pass = 0; pass < kPassCount; ++pass) {
        std::printf("benchmark: median %-22s %.2f ms (%s)\n", kPassNames[pass], median(passSamples[pass]),
                    useQueries ? "GL timer query" : "processor clock");
    }
    std::fflush(stdout);
}
