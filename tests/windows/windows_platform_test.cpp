// What the Windows C runtime would do differently unless the library sees to
// it: files are binary (no CR/LF translation) whatever the OCIFile type, file
// names are UTF-8, and message texts carry the Windows prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <oci.h>

namespace {

OraText *T(const char *s) { return reinterpret_cast<OraText *>(const_cast<char *>(s)); }

class WindowsPlatform : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(OCIEnvCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        dir = std::filesystem::temp_directory_path() / ("ociwin-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        ASSERT_TRUE(std::filesystem::create_directories(dir));
        dirText = dir.u8string();
        ASSERT_EQ(OCIFileInit(env, err), OCI_SUCCESS);
    }
    void TearDown() override {
        OCIFileTerm(env, err);
        OCIHandleFree(env, OCI_HTYPE_ENV);
        std::filesystem::remove_all(dir);
    }
    std::string Message() {
        OraText text[512] = {};
        sb4 code = 0;
        OCIErrorGet(err, 1, nullptr, &code, text, sizeof text, OCI_HTYPE_ERROR);
        return reinterpret_cast<const char *>(text);
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    std::filesystem::path dir;
    std::string dirText;
};

TEST_F(WindowsPlatform, FilesKeepTheirBytesInBothTypes) {
    const std::string bytes("line\nnext\r\nend\x1a tail", 20);
    for (ub4 type : {static_cast<ub4>(OCI_FILE_BIN), static_cast<ub4>(OCI_FILE_TEXT)}) {
        const std::string name = "bytes" + std::to_string(type);
        OCIFileObject *file = nullptr;
        ASSERT_EQ(OCIFileOpen(env, err, &file, T(name.c_str()), T(dirText.c_str()), OCI_FILE_READ_WRITE,
                              OCI_FILE_CREATE, type),
                  OCI_SUCCESS)
            << Message();
        ub4 count = 0;
        ASSERT_EQ(OCIFileWrite(env, err, file, const_cast<char *>(bytes.data()), bytes.size(), &count), OCI_SUCCESS);
        EXPECT_EQ(count, bytes.size());
        ASSERT_EQ(OCIFileFlush(env, err, file), OCI_SUCCESS);
        ASSERT_EQ(OCIFileSeek(env, err, file, OCI_FILE_SEEK_BEGINNING, 0, OCI_FILE_FORWARD), OCI_SUCCESS);
        std::string back(64, '\0');
        ASSERT_EQ(OCIFileRead(env, err, file, back.data(), back.size(), &count), OCI_SUCCESS);
        back.resize(count);
        EXPECT_EQ(back, bytes) << "type " << type;
        ASSERT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);

        ubig_ora length = 0;
        ASSERT_EQ(OCIFileGetLength(env, err, T(name.c_str()), T(dirText.c_str()), &length), OCI_SUCCESS);
        EXPECT_EQ(length, bytes.size());
        std::ifstream raw(dir / name, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(raw), {}), bytes);
    }
}

TEST_F(WindowsPlatform, FileNamesAreUtf8) {
    const char *name = "gr\xc3\xbc\xc3\x9f" "e-\xd0\xb6.txt";  // grüße-ж.txt
    OCIFileObject *file = nullptr;
    ASSERT_EQ(OCIFileOpen(env, err, &file, T(name), T(dirText.c_str()), OCI_FILE_WRITE_ONLY, OCI_FILE_CREATE,
                          OCI_FILE_BIN),
              OCI_SUCCESS)
        << Message();
    ASSERT_EQ(OCIFileClose(env, err, file), OCI_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(dir / std::filesystem::u8path(name)));
    ub1 flag = FALSE;
    ASSERT_EQ(OCIFileExists(env, err, T(name), T(dirText.c_str()), &flag), OCI_SUCCESS);
    EXPECT_EQ(flag, TRUE);
}

TEST_F(WindowsPlatform, MessagesCarryTheWindowsPrefix) {
    OCIFileObject *file = nullptr;
    EXPECT_EQ(OCIFileOpen(env, err, &file, T("missing"), T(dirText.c_str()), OCI_FILE_READ_ONLY, OCI_FILE_CREATE,
                          OCI_FILE_BIN) == OCI_SUCCESS,
              true);
    OCIFileClose(env, err, file);
    file = nullptr;
    EXPECT_EQ(OCIFileOpen(env, err, &file, T("missing"), T(dirText.c_str()), OCI_FILE_READ_ONLY, OCI_FILE_EXCL,
                          OCI_FILE_BIN),
              OCI_ERROR);
    EXPECT_EQ(Message(), "VOSKA-30151: file already found");
}

}  // namespace
