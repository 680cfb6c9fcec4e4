# The web hosts of the three product families. The defaults lie under a
# reserved domain; a release build sets the maker's own.
set(TYX_HOST_NORVA "norva.tyx.invalid" CACHE STRING "Web host of the Norva family")
set(TYX_HOST_TALVIK "talvik.tyx.invalid" CACHE STRING "Web host of the Talvik family")
set(TYX_HOST_BREMO "bremo.tyx.invalid" CACHE STRING "Web host of Bremo")
