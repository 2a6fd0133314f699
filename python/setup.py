"""Builds libtalvex.so with CMake and puts it inside the package.

`pip install ./python` (offline: `pip install --no-build-isolation ./python`)
configures the repository this directory sits in, builds the chart library and
its window library in Release, and copies both beside the package's modules,
where talvex._library looks first. The metadata is in pyproject.toml.

TALVEX_BUILD_DIR names a CMake build directory to use (kept between installs,
so that the next one compiles only what changed); CMAKE the cmake to run.
"""

import glob
import os
import shutil
import subprocess
import sys

from setuptools import Distribution, setup
from setuptools.command.build_py import build_py

HERE = os.path.dirname(os.path.abspath(__file__))
REPOSITORY = os.path.dirname(HERE)
# The chart library under the first name the package looks for; the window
# library under its SONAME, the name libtalvex.so's NEEDED entry asks for.
BUNDLED = {"talvex": "libtalvex.so", "talvex_window": "libtalvex_window.so.1"}
WEB_FILES = ("talvex.js", "talvex-chart.js")


def _check_sources():
    needed = ("CMakeLists.txt", os.path.join("include", "talvex.h"), "src")
    missing = [name for name in needed if not os.path.exists(os.path.join(REPOSITORY, name))]
    if missing:
        sys.exit(
            "talvex: the C sources are not in %s (missing %s). The package builds libtalvex.so from "
            "the TALVEX repository it sits in: install it from a checkout (pip install ./python), "
            "not from a source archive of python/ alone."
            % (REPOSITORY, ", ".join(missing))
        )


def _run(command):
    print(" ".join(command), flush=True)
    subprocess.run(command, check=True)


class BuildWithLibrary(build_py):
    """build_py, then CMake builds the library into the package's build copy."""

    def run(self):
        super().run()
        if self.dry_run:
            return
        _check_sources()
        cmake = os.environ.get("CMAKE") or shutil.which("cmake")
        if not cmake:
            sys.exit("talvex: building libtalvex.so needs cmake (and a C++17 compiler); none is on PATH")
        # build_py has no temporary directory of its own: build's, as an
        # extension would use (python/build/temp.*/cmake, kept between installs).
        build_temp = self.get_finalized_command("build").build_temp
        build = os.environ.get("TALVEX_BUILD_DIR") or os.path.join(os.path.abspath(build_temp), "cmake")
        configure = [
            cmake, "-S", REPOSITORY, "-B", build,
            "-DCMAKE_BUILD_TYPE=Release",
            "-DTALVEX_BUILD_TESTS=OFF", "-DTALVEX_BUILD_TOOLS=OFF", "-DTALVEX_BUILD_BENCHMARKS=OFF",
            # RPATH $ORIGIN from the start: the copies find each other beside
            # themselves, never in this build directory.
            "-DCMAKE_BUILD_WITH_INSTALL_RPATH=ON",
        ]
        if shutil.which("ninja") and not os.path.exists(os.path.join(build, "CMakeCache.txt")):
            configure += ["-G", "Ninja"]
        _run(configure)
        _run([cmake, "--build", build, "--target", "talvex", "talvex_window",
              "--parallel", os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))])
        package = os.path.join(self.build_lib, "talvex")
        for target, name in BUNDLED.items():
            # The real file behind the libfoo.so -> libfoo.so.1 -> libfoo.so.1.x.y links.
            built = [path for path in glob.glob(os.path.join(build, "bin", "lib%s.so*" % target))
                     if not os.path.islink(path)]
            if len(built) != 1:
                sys.exit("talvex: expected one lib%s.so in %s/bin, found %r" % (target, build, built))
            shutil.copyfile(built[0], os.path.join(package, name))
            os.chmod(os.path.join(package, name), 0o755)
        # The library built for the browser and the page's chart class, for
        # Chart.interactive(): kept built in the repository's web/.
        os.makedirs(os.path.join(package, "web"), exist_ok=True)
        for name in WEB_FILES:
            shutil.copyfile(os.path.join(REPOSITORY, "web", name), os.path.join(package, "web", name))

    def get_outputs(self, include_bytecode=True):
        package = os.path.join(self.build_lib, "talvex")
        return (super().get_outputs(include_bytecode) + [os.path.join(package, name) for name in BUNDLED.values()] +
                [os.path.join(package, "web", name) for name in WEB_FILES])


class BinaryDistribution(Distribution):
    """The wheel holds a compiled library: tagged for this platform, not pure."""

    def has_ext_modules(self):
        return True


setup(cmdclass={"build_py": BuildWithLibrary}, distclass=BinaryDistribution)
