# CORVANE_PERTURB_RUNTIME_MATH: links every program and module of the build with wrappers that
# flip the last bit of the C runtime's transcendental results for about half of the arguments
# (tests/perturb/perturb_math.cpp), as another processor may round them. A test that still passes
# in such a build does not compare bits the machine decides. For test builds only, native and
# win64: the presets perturb-native and perturb-win64.
option(CORVANE_PERTURB_RUNTIME_MATH
  "Flip the last bit of the C runtime's transcendental results (test builds only)" OFF)

if(NOT CORVANE_PERTURB_RUNTIME_MATH)
  return()
endif()
if(CORVANE_X86)
  # The i686 linker decorates C names.
  message(FATAL_ERROR "CORVANE_PERTURB_RUNTIME_MATH is for the native and win64 builds")
endif()

set(CORVANE_PERTURBED_FUNCTIONS exp log log10 pow sin cos tan sinh cosh tanh atan atan2 exp2 log2
  expm1 log1p acos acosh sincos)
add_library(corvane_perturb_math OBJECT ${CMAKE_SOURCE_DIR}/tests/perturb/perturb_math.cpp)
foreach(f ${CORVANE_PERTURBED_FUNCTIONS})
  add_link_options(LINKER:--wrap=${f})
endforeach()
# Every target made after this point gets the wrappers' object linked in directly.
link_libraries(corvane_perturb_math)
