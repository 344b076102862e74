"""The vellumark package: the engine's Python interface over libvellumark
(ctypes, no compiled extension). Install the library first ("cmake --install"
or the Debian package), or name a built one in VELLUMARK_LIBRARY."""
from setuptools import setup

setup(
    name="vellumark",
    version="2.3.0",
    description="PDF files from pages, text, graphics and images (over libvellumark)",
    packages=["vellumark"],
    python_requires=">=3.7",
)
