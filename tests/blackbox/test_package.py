"""The download of this tree (scripts/package.py), unzipped: its exe starts."""

import os
import sys
import zipfile

import harness

sys.path.insert(0, os.path.join(harness.REPO, "scripts"))
import package  # noqa: E402


class PackageTest(harness.OrvanelTestCase):

    def test_the_unzipped_exe_starts(self):
        os.remove(self.exe)
        with zipfile.ZipFile(package.make_zip(os.path.dirname(harness.CONFIG["exe"]), self.dir)) as z:
            z.extractall(self.dir)
        self.assertEqual(self.start()["title"], "新規ﾃﾞｨｽｸｲﾒｰｼﾞ - Orvanel")
        self.assertEqual(self.close_and_wait(), 0)


if __name__ == "__main__":
    harness.main()
