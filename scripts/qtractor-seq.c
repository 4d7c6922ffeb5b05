/* A stand-in for the ALSA sequencer, preloaded into Qtractor by
 * scripts/qtractor.sh on machines whose kernel has no ALSA: Qtractor will not
 * open a session without a sequencer client, and the plug-in's notes never
 * pass through the sequencer anyway. Only the calls that take a sequencer
 * handle are replaced; the accessors of ALSA's opaque records still come from
 * the real library. Each client is alone in its world: it sees no other
 * client, receives nothing, and what it sends is dropped. Its queues keep
 * time by the wall clock, so Qtractor's MIDI meters and drift check see a
 * queue that runs. Built by the script:
 *   cc -shared -fPIC -o qtractor-seq.so qtractor-seq.c -l:libasound.so.2 */
#define _GNU_SOURCE
#include <errno.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

/* ALSA's opaque records, used only through pointers or the library's own
 * accessors. */
typedef struct snd_seq_queue_tempo snd_seq_queue_tempo_t;
typedef struct snd_seq_queue_timer snd_seq_queue_timer_t;
typedef struct snd_seq_client_info snd_seq_client_info_t;
typedef struct snd_seq_port_info snd_seq_port_info_t;
typedef struct snd_seq_port_subscribe snd_seq_port_subscribe_t;
typedef struct snd_seq_query_subscribe snd_seq_query_subscribe_t;
typedef struct snd_seq_remove_events snd_seq_remove_events_t;
typedef struct snd_seq_event snd_seq_event_t;

unsigned int snd_seq_queue_tempo_get_tempo(const snd_seq_queue_tempo_t *tempo);
int snd_seq_queue_tempo_get_ppq(const snd_seq_queue_tempo_t *tempo);
unsigned int snd_seq_queue_tempo_get_skew(const snd_seq_queue_tempo_t *tempo);
unsigned int snd_seq_queue_tempo_get_skew_base(const snd_seq_queue_tempo_t *tempo);
void snd_seq_queue_tempo_set_tempo(snd_seq_queue_tempo_t *tempo, unsigned int microseconds);
void snd_seq_queue_tempo_set_ppq(snd_seq_queue_tempo_t *tempo, int ppq);
void snd_seq_queue_tempo_set_skew(snd_seq_queue_tempo_t *tempo, unsigned int skew);
void snd_seq_queue_tempo_set_skew_base(snd_seq_queue_tempo_t *tempo, unsigned int base);

/* The queue status record has no setters; its layout is the kernel's
 * struct snd_seq_queue_status, fixed by the sequencer's ioctl ABI. */
typedef struct {
  int queue;
  unsigned int tick;
  struct {
    unsigned int tv_sec, tv_nsec;
  } time;
  int running;
  int flags;
  char reserved[64];
} snd_seq_queue_status_t;

/* The sequencer's own event and client numbers. */
enum {
  kEventStart = 30,
  kEventContinue = 31,
  kEventStop = 32,
  kEventSetPositionTick = 33,
  kEventTempo = 35,
  kFirstClient = 128,
  kQueueCount = 8,
  kDefaultTempo = 500000, /* microseconds a beat: 120 beats a minute */
  kDefaultPpq = 96,
  kSkewBase = 0x10000,
};

typedef struct {
  int allocated;
  int running;
  double startSeconds; /* when the queue last started or was repositioned */
  double startTick;
  unsigned int tempo, skew;
  int ppq;
} Queue;

typedef struct snd_seq {
  int client;
  int nextPort;
  int idlePipe[2]; /* never written: poll on it waits for nothing */
  Queue queues[kQueueCount];
} snd_seq_t;

static int nextClient = kFirstClient;

static double nowSeconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static Queue *findQueue(snd_seq_t *seq, int q) {
  return q >= 0 && q < kQueueCount && seq->queues[q].allocated ? &seq->queues[q] : NULL;
}

static double currentTick(const Queue *queue) {
  if (!queue->running) return queue->startTick;
  const double ticksPerSecond = 1e6 * queue->ppq / queue->tempo * queue->skew / kSkewBase;
  return queue->startTick + (nowSeconds() - queue->startSeconds) * ticksPerSecond;
}

int snd_seq_open(snd_seq_t **handle, const char *name, int streams, int mode) {
  (void)name, (void)streams, (void)mode;
  snd_seq_t *seq = calloc(1, sizeof *seq);
  if (!seq) return -ENOMEM;
  if (pipe(seq->idlePipe) < 0) {
    free(seq);
    return -errno;
  }
  seq->client = __atomic_fetch_add(&nextClient, 1, __ATOMIC_RELAXED);
  *handle = seq;
  return 0;
}

int snd_seq_close(snd_seq_t *seq) {
  close(seq->idlePipe[0]);
  close(seq->idlePipe[1]);
  free(seq);
  return 0;
}

int snd_seq_client_id(snd_seq_t *seq) { return seq->client; }
int snd_seq_set_client_name(snd_seq_t *seq, const char *name) { return (void)seq, (void)name, 0; }

int snd_seq_create_simple_port(snd_seq_t *seq, const char *name, unsigned int caps, unsigned int type) {
  (void)name, (void)caps, (void)type;
  return seq->nextPort++;
}

int snd_seq_delete_simple_port(snd_seq_t *seq, int port) { return (void)seq, (void)port, 0; }

int snd_seq_alloc_queue(snd_seq_t *seq) {
  for (int q = 0; q < kQueueCount; ++q) {
    if (seq->queues[q].allocated) continue;
    seq->queues[q] = (Queue){.allocated = 1, .tempo = kDefaultTempo, .skew = kSkewBase, .ppq = kDefaultPpq};
    return q;
  }
  return -ENOMEM;
}

int snd_seq_free_queue(snd_seq_t *seq, int q) {
  Queue *queue = findQueue(seq, q);
  if (!queue) return -EINVAL;
  queue->allocated = 0;
  return 0;
}

int snd_seq_get_queue_tempo(snd_seq_t *seq, int q, snd_seq_queue_tempo_t *tempo) {
  Queue *queue = findQueue(seq, q);
  if (!queue) return -EINVAL;
  snd_seq_queue_tempo_set_tempo(tempo, queue->tempo);
  snd_seq_queue_tempo_set_ppq(tempo, queue->ppq);
  snd_seq_queue_tempo_set_skew(tempo, queue->skew);
  snd_seq_queue_tempo_set_skew_base(tempo, kSkewBase);
  return 0;
}

int snd_seq_set_queue_tempo(snd_seq_t *seq, int q, snd_seq_queue_tempo_t *tempo) {
  Queue *queue = findQueue(seq, q);
  if (!queue) return -EINVAL;
  /* A new speed counts from the tick the queue has reached. */
  queue->startTick = currentTick(queue);
  queue->startSeconds = nowSeconds();
  if (snd_seq_queue_tempo_get_tempo(tempo) > 0) queue->tempo = snd_seq_queue_tempo_get_tempo(tempo);
  if (snd_seq_queue_tempo_get_ppq(tempo) > 0) queue->ppq = snd_seq_queue_tempo_get_ppq(tempo);
  const unsigned int base = snd_seq_queue_tempo_get_skew_base(tempo);
  if (base > 0 && snd_seq_queue_tempo_get_skew(tempo) > 0)
    queue->skew = (unsigned int)((double)snd_seq_queue_tempo_get_skew(tempo) * kSkewBase / base);
  return 0;
}

int snd_seq_set_queue_timer(snd_seq_t *seq, int q, snd_seq_queue_timer_t *timer) {
  return (void)timer, findQueue(seq, q) ? 0 : -EINVAL;
}

int snd_seq_control_queue(snd_seq_t *seq, int q, int type, int value, snd_seq_event_t *event) {
  (void)event;
  Queue *queue = findQueue(seq, q);
  if (!queue) return -EINVAL;
  const double tick = currentTick(queue);
  queue->startSeconds = nowSeconds();
  switch (type) {
  case kEventStart: queue->startTick = 0, queue->running = 1; break;
  case kEventContinue: queue->startTick = tick, queue->running = 1; break;
  case kEventStop: queue->startTick = tick, queue->running = 0; break;
  case kEventSetPositionTick: queue->startTick = value; break;
  case kEventTempo: queue->startTick = tick, queue->tempo = value > 0 ? (unsigned int)value : queue->tempo; break;
  default: queue->startTick = tick; break;
  }
  return 0;
}

int snd_seq_get_queue_status(snd_seq_t *seq, int q, snd_seq_queue_status_t *status) {
  Queue *queue = findQueue(seq, q);
  if (!queue) return -EINVAL;
  memset(status, 0, sizeof *status);
  status->queue = q;
  status->tick = (unsigned int)currentTick(queue);
  status->running = queue->running;
  return 0;
}

/* Events out go nowhere; none ever come in. */
int snd_seq_event_output(snd_seq_t *seq, snd_seq_event_t *event) { return (void)seq, (void)event, 0; }
int snd_seq_event_output_direct(snd_seq_t *seq, snd_seq_event_t *event) { return (void)seq, (void)event, 0; }
int snd_seq_drain_output(snd_seq_t *seq) { return (void)seq, 0; }
int snd_seq_drop_output(snd_seq_t *seq) { return (void)seq, 0; }
int snd_seq_drop_input(snd_seq_t *seq) { return (void)seq, 0; }
int snd_seq_remove_events(snd_seq_t *seq, snd_seq_remove_events_t *remove) { return (void)seq, (void)remove, 0; }
int snd_seq_free_event(snd_seq_event_t *event) { return (void)event, 0; }
int snd_seq_event_input_pending(snd_seq_t *seq, int fetch) { return (void)seq, (void)fetch, 0; }

int snd_seq_event_input(snd_seq_t *seq, snd_seq_event_t **event) {
  (void)seq;
  *event = NULL;
  return -EAGAIN;
}

int snd_seq_poll_descriptors_count(snd_seq_t *seq, short events) { return (void)seq, (void)events, 1; }

int snd_seq_poll_descriptors(snd_seq_t *seq, struct pollfd *fds, unsigned int space, short events) {
  if (space < 1) return 0;
  fds[0] = (struct pollfd){.fd = seq->idlePipe[0], .events = events, .revents = 0};
  return 1;
}

/* No other client or port exists, and subscriptions connect nothing. */
int snd_seq_query_next_client(snd_seq_t *seq, snd_seq_client_info_t *info) { return (void)seq, (void)info, -ENOENT; }
int snd_seq_query_next_port(snd_seq_t *seq, snd_seq_port_info_t *info) { return (void)seq, (void)info, -ENOENT; }
int snd_seq_get_any_client_info(snd_seq_t *seq, int client, snd_seq_client_info_t *info) {
  return (void)seq, (void)client, (void)info, -ENOENT;
}
int snd_seq_get_any_port_info(snd_seq_t *seq, int client, int port, snd_seq_port_info_t *info) {
  return (void)seq, (void)client, (void)port, (void)info, -ENOENT;
}
/* A client's own ports exist, with nothing to tell about them. */
int snd_seq_get_port_info(snd_seq_t *seq, int port, snd_seq_port_info_t *info) {
  return (void)info, port >= 0 && port < seq->nextPort ? 0 : -ENOENT;
}
int snd_seq_set_port_info(snd_seq_t *seq, int port, snd_seq_port_info_t *info) {
  return (void)seq, (void)port, (void)info, 0;
}
int snd_seq_query_port_subscribers(snd_seq_t *seq, snd_seq_query_subscribe_t *query) {
  return (void)seq, (void)query, -ENOENT;
}
int snd_seq_subscribe_port(snd_seq_t *seq, snd_seq_port_subscribe_t *subscription) {
  return (void)seq, (void)subscription, 0;
}
int snd_seq_unsubscribe_port(snd_seq_t *seq, snd_seq_port_subscribe_t *subscription) {
  return (void)seq, (void)subscription, 0;
}
