// Extension discovery: a name counts as listed only as a whole name of the extension string.
#include <gtest/gtest.h>

#include "platform/gl_entry_points.h"
#include "support/recording_platform.h"

TEST(GlEntryPointsTest, AnExtensionIsListedOnlyAsAWholeName) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    recording.extensionString = "GL_EXT_framebuffer_blit_layers GL_ARB_a GL_EXT_framebuffer_object";
    EXPECT_FALSE(extensionListed("GL_EXT_framebuffer_blit")) << "a longer name";
    EXPECT_FALSE(extensionListed("GL_ARB")) << "a shorter name";
    EXPECT_TRUE(extensionListed("GL_EXT_framebuffer_blit_layers")) << "the first name";
    EXPECT_TRUE(extensionListed("GL_ARB_a")) << "a name between two";
    EXPECT_TRUE(extensionListed("GL_EXT_framebuffer_object")) << "the last name";
    recording.extensionString = "";
    EXPECT_FALSE(extensionListed("GL_ARB_a")) << "an empty list";
}
