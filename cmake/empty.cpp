// The shared library is assembled from the subsystem archives; it has no sources of its own.
