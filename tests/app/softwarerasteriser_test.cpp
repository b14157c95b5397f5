#include "app/softwarerasteriser.h"

#include <gtest/gtest.h>

TEST(SoftwareRasteriser, KnowsTheCpuRenderersFromGraphicsCards)
{
    const struct
    {
        const char *renderer;
        bool software;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa X11 swrast", true},
        {"Google SwiftShader", true},
        {"D3D12 (Microsoft Basic Render Driver)", true},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
        {"NVIDIA GeForce GTX 1650/PCIe/SSE2", false},
        {"SVGA3D; build: RELEASE;  LLVM;", false},
        {"", false},
    };
    for (const auto &row : cases)
        EXPECT_EQ(SoftwareRasteriser::isRenderer(row.renderer), row.software) << row.renderer;
}
