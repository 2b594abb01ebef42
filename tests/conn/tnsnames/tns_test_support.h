// Helpers for the descriptor-file tests: temporary directories, saved
// environment variables, captured standard streams, parse-tree rendering.
#pragma once
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "conn/tnsnames/tnsnames.h"
#include "diag/trace.h"

namespace tnstest {

class TempDir {  // under /tmp, removed with its contents
public:
    TempDir() {
        char templ[] = "/tmp/tnstestXXXXXX";
        if (mkdtemp(templ) == nullptr) throw std::runtime_error("mkdtemp");
        path_ = templ;
    }
    ~TempDir() {
        nftw(path_.c_str(), [](const char *p, const struct stat *, int, FTW *) { return std::remove(p); },
             16, FTW_DEPTH | FTW_PHYS);
    }
    const std::string &path() const { return path_; }
    std::string Write(const std::string &name, const std::string &content) const {
        std::string file = path_ + "/" + name;
        FILE *f = std::fopen(file.c_str(), "w");
        if (f == nullptr) throw std::runtime_error("cannot write " + file);
        std::fputs(content.c_str(), f);
        std::fclose(f);
        return file;
    }

private:
    std::string path_;
};

class EnvGuard {  // restores the variable on the way out
public:
    explicit EnvGuard(const char *name) : name_(name), had_(std::getenv(name) != nullptr) {
        if (had_) old_ = std::getenv(name);
    }
    ~EnvGuard() { had_ ? (void)setenv(name_, old_.c_str(), 1) : (void)unsetenv(name_); }
    void Set(const std::string &value) const { setenv(name_, value.c_str(), 1); }
    void Unset() const { unsetenv(name_); }

private:
    const char *name_;
    bool had_;
    std::string old_;
};

class Capture {  // standard output (1) or error (2) into a file while alive
public:
    explicit Capture(int fd) : fd_(fd), file_(std::tmpfile()) {
        std::fflush(nullptr);
        saved_ = dup(fd_);
        dup2(fileno(file_), fd_);
    }
    ~Capture() {
        Restore();
        std::fclose(file_);
    }
    std::string Text() {
        Restore();
        std::string out(static_cast<size_t>(std::ftell(file_)), '\0');
        std::rewind(file_);
        out.resize(std::fread(&out[0], 1, out.size(), file_));
        return out;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(nullptr);
        dup2(saved_, fd_);
        close(saved_);
        saved_ = -1;
    }
    int fd_;
    FILE *file_;
    int saved_ = -1;
};

inline TnsParseStatus Parse(const std::string &text, List **entries) {
    // A memory stream cannot be empty; an empty text goes through a file.
    FILE *f = text.empty() ? std::tmpfile() : fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    TnsParseStatus status = ParseDescriptorFile(f, entries);
    std::fclose(f);
    return status;
}

// One line per entry, "name host port sid" ("-" absent, "noaddr" no address).
inline std::string Render(const List *entries) {
    auto f = [](const char *s) { return std::string(s == nullptr ? "-" : s); };
    std::string out;
    for (ListCell *cell = list_head(entries); cell != nullptr; cell = cell->next) {
        auto *e = static_cast<OCINetServiceName *>(cell->ptr);
        const OCIAddress *a = e->address;
        out += f(e->name) + " " +
               (a ? f(a->host ? a->host->value : nullptr) + " " + f(a->port ? a->port->value : nullptr)
                  : "noaddr") +
               " " + f(e->sid ? e->sid->value : nullptr) + "\n";
    }
    return out;
}

// Parses and renders; the parser's messages, as written to the debug log
// without their "ParseDescriptorFile: " prefix, land in *messages. Nothing may
// reach standard error.
inline std::string ParseAndRender(const std::string &text, TnsParseStatus *status,
                                  std::string *messages = nullptr) {
    List *entries = nullptr;
    FILE *log = std::tmpfile();
    FILE *savedLog = oci_debug_log;
    const ub8 savedMask = oci_debug_mask;
    oci_debug_log = log;
    oci_debug_mask = TRACE_SESSION;
    {
        Capture err(2);
        *status = Parse(text, &entries);
        const std::string stray = err.Text();
        if (!stray.empty()) throw std::runtime_error("written to standard error: " + stray);
    }
    oci_debug_log = savedLog;
    oci_debug_mask = savedMask;
    std::string logged(static_cast<size_t>(std::ftell(log)), '\0');
    std::rewind(log);
    logged.resize(std::fread(&logged[0], 1, logged.size(), log));
    std::fclose(log);
    const std::string prefix = "ParseDescriptorFile: ";
    for (size_t at; (at = logged.find(prefix)) != std::string::npos;) logged.erase(at, prefix.size());
    if (messages != nullptr) *messages = logged;
    std::string out = Render(entries);
    ReleaseOCINodeList(entries);
    return out;
}

inline std::string ReadDataFile(const std::string &name) {
    FILE *f = std::fopen((std::string(OCI_TEST_DATA_DIR) + "/conn/tnsnames/data/" + name).c_str(), "r");
    if (f == nullptr) throw std::runtime_error("missing data file " + name);
    std::string out;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    std::fclose(f);
    return out;
}

}  // namespace tnstest
