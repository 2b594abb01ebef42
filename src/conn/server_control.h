// Server information: the release number OCIServerRelease reports.
#pragma once
#include <oci.h>

// Packs a server version number as the client library reports it
// (major*10000 + minor*100 + update before release 10, major*10000 + update
// since) into OCI's release layout: major in the top byte, minor in the next
// four bits, update in the eight bits below.
ub4 PackServerRelease(int serverVersion);
