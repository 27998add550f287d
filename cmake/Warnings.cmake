# Every target of ours compiles with the same strict warnings; a warning is a build failure.
add_compile_options(-Wall -Wextra -Werror -Wimplicit-fallthrough)
