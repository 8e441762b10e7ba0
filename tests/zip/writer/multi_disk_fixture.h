// Reading a split archive back in the tests without our reader: an independent script joins the
// disks in order, follows every central header to its disk and offset, inflates each entry, checks
// its CRC and size and extracts it, and reports the end record's fields beside what it counted.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/host_tools.h"

namespace larkspur::zip::test {

struct JoinedSet {
  int entries = -1;
  int thisDisk = -1;
  int entriesOnThisDisk = -1;
  long long centralSize = -1;
  long long centralBytes = -1; // counted: bytes from the first to past the last central header
  int headersOnLastDisk = -1;  // counted: central headers that begin on the end record's disk
};

inline constexpr char kJoinScript[] = R"PY(
import os, struct, sys, zlib
out, blocks = sys.argv[1], sys.argv[2:]
data, base = b'', []
for b in blocks:
    base.append(len(data))
    data += open(b, 'rb').read()
e = data.rfind(b'PK\x05\x06')
_, this_disk, cd_disk, on_disk, total, cd_size, cd_off, _ = struct.unpack('<IHHHHIIH', data[e:e+22])
p = start = base[cd_disk] + cd_off
on_last = 0
for i in range(total):
    f = struct.unpack('<IHHHHHHIIIHHHHHII', data[p:p+46])
    assert f[0] == 0x02014b50, 'central header %d' % i
    if p >= base[this_disk]:
        on_last += 1
    method, crc, csize, usize, nlen = f[4], f[7], f[8], f[9], f[10]
    disk, off = f[13], f[16]
    name = data[p+46:p+46+nlen].decode('utf-8', 'surrogateescape')
    p += 46 + nlen + f[11] + f[12]
    q = base[disk] + off
    l = struct.unpack('<IHHHHHIIIHH', data[q:q+30])
    assert l[0] == 0x04034b50, 'local header of ' + name
    s = q + 30 + l[9] + l[10]
    raw = data[s:s+csize]
    body = raw if method == 0 else zlib.decompressobj(-15).decompress(raw)
    assert len(body) == usize and zlib.crc32(body) == crc, 'data of ' + name
    if name.endswith('/'):
        continue
    target = os.path.join(out, name)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    open(target, 'wb').write(body)
print(total, this_disk, on_disk, cd_size, p - start, on_last)
)PY";

// Joins `disks` in order and extracts every entry into `outDir`; fails the test when the script
// finds anything wrong.
inline JoinedSet joinAndExtract(const std::vector<std::string>& disks, const std::string& outDir) {
  using larkspur::test::hostSidePath;
  using larkspur::test::shellQuote;
  platform::createDirectory(outDir);
  std::string command =
      "python3 -c " + shellQuote(kJoinScript) + " " + shellQuote(hostSidePath(outDir));
  for (const std::string& disk : disks)
    command += " " + shellQuote(hostSidePath(disk));
  const auto r = larkspur::test::runHostShell(command);
  JoinedSet set;
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::istringstream in(r.output);
  in >> set.entries >> set.thisDisk >> set.entriesOnThisDisk >> set.centralSize >>
      set.centralBytes >> set.headersOnLastDisk;
  return set;
}

} // namespace larkspur::zip::test
