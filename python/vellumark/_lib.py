"""Loads libvellumark and holds what the document's members share.

The library is the one named by the environment variable VELLUMARK_LIBRARY
when it is set (a build tree's build/libvellumark.so, say); otherwise the one
installed beside this package by "cmake --install" or the Debian package;
otherwise libvellumark.so.2 wherever the system's loader finds it.
"""
import ctypes
import os
from ctypes import POINTER, c_char_p, c_int, c_size_t, c_uint32, c_void_p

LIBRARY_VARIABLE = "VELLUMARK_LIBRARY"
SONAME = "libvellumark.so.2"

VM_OK = 0
VM_FAILED = 1
VM_INVALID = 2
VM_NO_MEMORY = 3


class Error(Exception):
    """A member of the document failed; the message is the engine's."""


def _candidates():
    named = os.environ.get(LIBRARY_VARIABLE)
    if named:
        return [named]
    found = []
    try:
        from ._installed import LIBRARY
    except ImportError:
        pass
    else:
        found.append(os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), LIBRARY)))
    found.append(SONAME)
    return found


def _load():
    reasons = []
    for candidate in _candidates():
        try:
            return ctypes.CDLL(candidate)
        except OSError as e:
            reasons.append(str(e))
    raise ImportError("libvellumark cannot be loaded; install it, or name it in %s (%s)"
                      % (LIBRARY_VARIABLE, "; ".join(reasons)))


lib = _load()

lib.vm_version.argtypes = []
lib.vm_version.restype = c_char_p
lib.vm_create.argtypes = [POINTER(c_void_p)]
lib.vm_create.restype = c_int
lib.vm_destroy.argtypes = [c_void_p]
lib.vm_destroy.restype = None
lib.vm_last_error.argtypes = [c_void_p]
lib.vm_last_error.restype = c_char_p
lib.vm_save_to_memory.argtypes = [c_void_p, POINTER(POINTER(ctypes.c_ubyte)), POINTER(c_size_t)]
lib.vm_save_to_memory.restype = c_int
lib.vm_free_buffer.argtypes = [c_void_p]
lib.vm_free_buffer.restype = None
lib.vm_rgb.argtypes = [c_int, c_int, c_int]
lib.vm_rgb.restype = c_uint32


def raise_status(doc, status):
    """Raises the exception of a failed call's status."""
    if status == VM_FAILED:
        raise Error(lib.vm_last_error(doc).decode("utf-8", "replace"))
    if status == VM_NO_MEMORY:
        raise MemoryError("libvellumark ran out of memory")
    if doc is None:
        raise Error("The document is closed")
    raise ValueError("libvellumark refused an argument (status %d)" % status)


def text_arg(value):
    """A string argument as UTF-8: str, bytes (taken as UTF-8) or a path."""
    if isinstance(value, str):
        return value.encode("utf-8", "surrogateescape")
    if isinstance(value, bytes):
        return value
    if isinstance(value, os.PathLike):
        return os.fsencode(value)
    if value is None:
        return None
    raise TypeError("a string is expected, not %s" % type(value).__name__)


def from_text(value):
    return value.decode("utf-8", "replace") if value else ""


def color_arg(value):
    """An OLE colour, 0x00BBGGRR; negative values keep their 32 bits."""
    return int(value) & 0xFFFFFFFF


def bytes_arg(value):
    """Any bytes-like object as (bytes, length)."""
    data = value if isinstance(value, bytes) else memoryview(value).tobytes()
    return data, len(data)


__all__ = ["Error", "lib"]
