// Loads the built plug-in through the test host, as a host would.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/VstHost.h"

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override { Load(); }

  void Load() {
    std::string error;
    ASSERT_TRUE(host.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    effect = host.Effect();
  }

  // The bank chunk's 51 values.
  static std::vector<double> Values(const std::vector<unsigned char>& chunk) {
    std::vector<double> values(51);
    if (chunk.size() >= 8 + 51 * 8) std::memcpy(values.data(), chunk.data() + 8, 51 * 8);
    return values;
  }

  // A chunk as the plug-in writes one: header, 51 values, path.
  static std::vector<unsigned char> MakeChunk(const std::vector<double>& values,
                                              const std::string& path, bool header = true) {
    std::vector<unsigned char> chunk;
    auto append = [&chunk](const void* p, std::size_t n) {
      const auto* b = static_cast<const unsigned char*>(p);
      chunk.insert(chunk.end(), b, b + n);
    };
    if (header) {
      const std::int32_t magic = 0x70666674, version = 0x00010000;
      append(&magic, 4);
      append(&version, 4);
    }
    append(values.data(), values.size() * 8);
    const std::int32_t length = static_cast<std::int32_t>(path.size());
    append(&length, 4);
    append(path.data(), path.size());
    return chunk;
  }

  VstHost host;
  AEffect* effect = nullptr;
};
