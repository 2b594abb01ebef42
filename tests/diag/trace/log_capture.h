// Captures the debug log in memory and puts the process-wide settings back
// to their defaults around every test.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "diag/trace.h"

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *name : {"OCI_DEBUG_LEVEL", "OCI_DEBUG_LOG", "OCI_DEBUG_MASK"})
            unsetenv(name);
        Reset();
        stream_ = open_memstream(&buffer_, &size_);
    }
    void TearDown() override {
        Reset();
        fclose(stream_);
        free(buffer_);
    }
    static void Reset() {
        oci_debug_log = nullptr;
        oci_debug_mask = 0xFFFFDFFF;
        OCI2PQ_TRACE_LEVEL = 0;
    }
    void capture() { oci_debug_log = stream_; }
    std::string logged() {
        fflush(stream_);
        return flushed();
    }
    // What reached the buffer without a flush of our own.
    std::string flushed() const { return std::string(buffer_, size_); }

private:
    char *buffer_ = nullptr;
    size_t size_ = 0;
    FILE *stream_ = nullptr;
};
