# Dialog host: the small window layer, the view host, painting, input, sizing, shadow and rounded frame.
target_sources(velmora_win PRIVATE
)
