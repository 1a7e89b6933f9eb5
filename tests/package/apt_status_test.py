#!/usr/bin/env python3
"""The dpkg status that package.deb simulates its install against: the same
machine without plumo, and nothing else taken away."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from package_test import without_package  # noqa: E402

STATUS = """Package: libc6
Status: install ok installed
Version: 2.36-9

Package: plumo
Status: install ok installed
Version: 1.0
Depends: libc6 (>= 2.34),
 libsdl2-2.0-0

Package: plumo-extra
Status: install ok installed
Depends: plumo

Package: zlib1g
Status: install ok installed
Description: compression library
 Package: plumo
"""


def names(status):
    return [line.split(": ", 1)[1] for line in status.splitlines()
            if line.startswith("Package: ")]


class WithoutPackage(unittest.TestCase):
    def test_only_the_named_packages_stanza_goes(self):
        kept = without_package(STATUS, "plumo")
        self.assertEqual(names(kept), ["libc6", "plumo-extra", "zlib1g"])
        # The stanzas that stay are as they were, a continuation line that
        # looks like a field included.
        self.assertIn("Package: plumo-extra\nStatus: install ok installed\nDepends: plumo\n", kept)
        self.assertTrue(kept.endswith("Description: compression library\n Package: plumo\n"))

    def test_a_status_without_it_is_unchanged(self):
        without = without_package(STATUS, "plumo")
        self.assertEqual(without_package(without, "plumo"), without)

    def test_stanzas_stay_apart(self):
        kept = without_package(STATUS, "plumo-extra")
        self.assertEqual(names(kept), ["libc6", "plumo", "zlib1g"])
        self.assertIn(" libsdl2-2.0-0\n\nPackage: zlib1g", kept)


if __name__ == "__main__":
    unittest.main()
