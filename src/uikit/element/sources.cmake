# Element model: objects, elements, containers, the handle registry and the built-in element types.
target_sources(velmora_win PRIVATE
)
