# The download's limits.
set(TYX_STALL_SECONDS 60 CACHE STRING "Seconds a download may receive nothing before it counts as cut off")
set(TYX_MAX_PACKAGE_MIB 1024 CACHE STRING "Largest package a download takes, in MiB (below 2048)")
