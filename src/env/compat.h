// The Oracle-compatible mode.
//
// Where Oracle's own client behaves differently from this library's design,
// the environment variable OCI_COMPAT=oracle, read when an environment handle
// is created, selects Oracle's behaviour for everything under that
// environment. Each such behaviour asks here, in the one place that decides
// it; nothing else reads the variable. The few calls that reach no
// environment (OCIClientVersion, an unsupported call given no handle of
// this library) ask the process through CompatSwitchFromProcess.
#pragma once

struct OCIEnv;

// The switch as the process environment sets it now.
bool CompatSwitchFromProcess();
// The mode of an environment (false for null).
bool OracleCompat(const OCIEnv *env);
// The mode of the environment any handle or descriptor lives in (false when
// none is reached).
bool OracleCompatOf(const void *handle);
